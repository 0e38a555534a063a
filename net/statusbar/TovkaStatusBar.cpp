// The network status bar: which labels the own role shows, and their colours
// from the transport's peer table.
#include "net/statusbar/TovkaStatusBar.h"

#include "net/transport/AppLocation.h"
#include "net/statusbar/StatusLabel.h"
#include "net/transport/TovkaNetIo.h"

#include <QLabel>
#include <QtDebug>

TovkaStatusBar::TovkaStatusBar(TovkaNetIo* netio, QWidget* parent) : QStatusBar(parent), netio(netio)
{
    for (StatusLabel*& judge : judges)
        judge = addLabel(QString());
    chief = addLabel(kindName(KindChief));
    display = addLabel(kindName(KindAnzeige));
    office = addLabel(kindName(KindBuero));
    planners[0] = addLabel(kindName(KindBelegungsPlaner));
    for (int i = 1; i < plannerCount; ++i)
        planners[size_t(i)] = addLabel(tr("Training %1").arg(i));

    addressLabel = new QLabel(this);
    addWidget(addressLabel, 0);

    connect(netio, SIGNAL(ownAddrChanged(TovkaAddress &)), this, SLOT(addrChanged (TovkaAddress &)));
    connect(netio, SIGNAL(newApp ( const AppLocation &)), this, SLOT(updateStatus ()));
    connect(netio, SIGNAL(appLost ( const AppLocation &)), this, SLOT(updateStatus ()));
}

StatusLabel* TovkaStatusBar::addLabel(const QString& text)
{
    auto* label = new StatusLabel(this);
    label->setText(text);
    addPermanentWidget(label, 0);
    label->hide();
    return label;
}

void TovkaStatusBar::setMaxKampfrichter(int n)
{
    qDebug("setMaxKampfrichter %d", n);
    maxKampfrichter = n;
    const quint32 own = netio->ownAddress().kind;
    for (int i = 1; i <= judgeCount; ++i) {
        StatusLabel* label = judgeLabel(i);
        if (own != KindChief && own != KindBuero) {
            label->hide();
            continue;
        }
        const quint32 partner = own == KindChief ? KindJury : KindChief;
        label->setText(QString("%1 %2").arg(kindName(partner)).arg(i));
        label->setVisible(i <= n);
    }
}

void TovkaStatusBar::addrChanged(TovkaAddress& addr)
{
    setMaxKampfrichter(maxKampfrichter);
    for (StatusLabel* planner : planners)
        planner->hide();
    switch (addr.kind) {
    case KindJury:
        chief->show();
        office->hide();
        display->hide();
        break;
    case KindBelegungsPlaner:
        for (StatusLabel* planner : planners)
            planner->show();
        break;
    case KindChief:
        office->show();
        display->show();
        chief->hide();
        break;
    default:
        office->hide();
        display->hide();
        chief->hide();
        break;
    }
    updateStatus();
}

void TovkaStatusBar::updateStatus()
{
    for (StatusLabel* judge : judges)
        judge->setRed();
    chief->setRed();
    display->setYellow();
    office->setYellow();
    for (StatusLabel* planner : planners)
        planner->setYellow();

    const TovkaAddress own = netio->ownAddress();
    for (const AppLocation& peer : netio->peers())
        colourFor(own, peer.address);
}

// The first rule that matches the peer decides its label.
void TovkaStatusBar::colourFor(const TovkaAddress& own, const TovkaAddress& peer)
{
    if (peer.kind == KindBuero) {
        office->setGreen();
        return;
    }
    if (peer.kind == KindBelegungsPlaner) {
        if (peer.instance < plannerCount)
            planners[peer.instance]->setGreen();
        return;
    }
    if (own.kind == KindBuero) {
        if (peer.kind == KindChief && peer.subKind >= 1 && peer.subKind <= judgeCount)
            judgeLabel(peer.subKind)->setGreen();
        return;
    }
    if (netio->juryMode()) {
        if (peer.kind == KindAusbilder)
            chief->setGreen();
        return;
    }
    if (peer.subKind != own.subKind)
        return;
    if (peer.kind == KindChief)
        chief->setGreen();
    else if (peer.kind == KindAnzeige)
        display->setGreen();
    else if (peer.kind == KindJury && peer.instance >= 1 && peer.instance <= judgeCount)
        judgeLabel(peer.instance)->setGreen();
}

void TovkaStatusBar::showAlert(bool alert, QString text)
{
    if (alert) {
        QPalette pal = palette();
        pal.setBrush(backgroundRole(), QBrush(QColor("red"), Qt::SolidPattern));
        setPalette(pal);
        setAutoFillBackground(true);
    } else {
        setAutoFillBackground(false);
        setPalette(QPalette());
    }
    if (!text.isEmpty())
        showMessage(text, alert ? alertMessageMs : noticeMessageMs);
}
