// The coloured, blinking status label.
#include "net/statusbar/StatusLabel.h"

#include <QTimer>

namespace {
const QColor green("#00E900");
const QColor yellow("yellow");
const QColor red("#Ff4040");
}

StatusLabel::StatusLabel(QWidget* parent)
    : QLabel(parent), blink(yellow), base(yellow), blinkTimer(new QTimer(this))
{
    setAlignment(Qt::AlignLeft);
    setAutoFillBackground(true);
    connect(blinkTimer, SIGNAL(timeout()), this, SLOT(slotBlink()));
}

void StatusLabel::setGreen() { setColor(green); }
void StatusLabel::setYellow() { setColor(yellow); }
void StatusLabel::setRed() { setColor(red); }

void StatusLabel::setColor(const QColor& color)
{
    setBackground(color);
    setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    base = color;
}

void StatusLabel::setBackground(const QColor& color)
{
    QPalette pal = palette();
    pal.setBrush(backgroundRole(), QBrush(color, Qt::SolidPattern));
    setPalette(pal);
}

QColor StatusLabel::backgroundColor() const
{
    return palette().brush(backgroundRole()).color();
}

void StatusLabel::startBlink()
{
    if (!blinkTimer->isActive())
        blinkTimer->start(blinkIntervalMs);
}

void StatusLabel::stopBlink()
{
    blinkTimer->stop();
    setBackground(base);
}

bool StatusLabel::isBlinking() const
{
    return blinkTimer->isActive();
}

void StatusLabel::slotBlink()
{
    setBackground(backgroundColor() == base ? blink : base);
}
