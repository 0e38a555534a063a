// A small status-bar label with a coloured background (green, yellow, red)
// that can blink between its colour and yellow.
#pragma once

#include <QColor>
#include <QLabel>

class QTimer;

class StatusLabel : public QLabel
{
    Q_OBJECT
public:
    static constexpr int blinkIntervalMs = 500;

    explicit StatusLabel(QWidget* parent);

    void setGreen();
    void setYellow();
    void setRed();
    void startBlink();
    void stopBlink();
    bool isBlinking() const;

    QColor baseColor() const { return base; }
    QColor backgroundColor() const;

public slots:
    void slotBlink();

private:
    void setColor(const QColor& color);
    void setBackground(const QColor& color);

    QColor blink;
    QColor base;
    QTimer* blinkTimer;
};
