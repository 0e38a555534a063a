// The main window's status bar: coloured labels for the partners that matter
// for the program's own role, green while such a partner is present on the
// network and red or yellow while it is missing.
#pragma once

#include "net/wire/TovkaAddress.h"

#include <QStatusBar>
#include <QString>

#include <array>

class QLabel;
class StatusLabel;
class TovkaNetIo;

class TovkaStatusBar : public QStatusBar
{
    Q_OBJECT
public:
    static constexpr int judgeCount = 3;
    static constexpr int plannerCount = 4;
    static constexpr int alertMessageMs = 60000;
    static constexpr int noticeMessageMs = 10000;

    TovkaStatusBar(TovkaNetIo* netio, QWidget* parent);

    void setMaxKampfrichter(int n);

public slots:
    void showAlert(bool alert, QString text);
    void addrChanged(TovkaAddress& addr);
    void updateStatus();

private:
    StatusLabel* judgeLabel(int i) const { return judges[size_t(i - 1)]; } // 1 to 3
    StatusLabel* addLabel(const QString& text);
    void colourFor(const TovkaAddress& own, const TovkaAddress& peer);

    TovkaNetIo* netio;
    std::array<StatusLabel*, judgeCount> judges{};
    std::array<StatusLabel*, plannerCount> planners{};
    StatusLabel* chief = nullptr;
    StatusLabel* display = nullptr;
    StatusLabel* office = nullptr;
    QLabel* addressLabel = nullptr;
    int maxKampfrichter = judgeCount;
};
