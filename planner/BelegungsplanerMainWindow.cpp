// The planning widget's network button and the relay of its store.
#include "planner/BelegungsplanerMainWindow.h"

#include <QPushButton>
#include <QVBoxLayout>

BelegungsplanerMainWindow::BelegungsplanerMainWindow(QWidget* parent)
    : QWidget(parent), network(new QPushButton(tr("Netzwerk"), this))
{
    network->setCheckable(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(network);
    layout->addStretch(1);

    connect(network, SIGNAL(toggled(bool)), this, SLOT(networkToggled(bool)));
    connect(&planStore, SIGNAL(dataChanged ( int , const TrainingsData & )),
            this, SIGNAL(dataChanged ( int , const TrainingsData & )));
}

// A refused switch unchecks the button, which switches the network off again.
void BelegungsplanerMainWindow::networkToggled(bool on)
{
    bool ok = true;
    emit startNetwork(on, ok);
    if (!ok && on)
        network->setChecked(false);
}
