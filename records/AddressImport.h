// The base of every importer of clubs and persons: a concrete importer reads
// its source in readClubs and readAthletes and hands each record to addClub
// and addAthlete, which keep one copy of equal records and number the new
// ones -1, -2, ... until they get rows of their own.
#pragma once

#include "db/RuvoDBList.h"
#include "records/Athlete.h"
#include "records/Club.h"

#include <QObject>
#include <QString>

class AddressImport : public QObject
{
    Q_OBJECT
public:
    explicit AddressImport(const QString& source);
    ~AddressImport() override;

    // Reads the clubs and then the athletes; false when either read fails,
    // with the reason in report.
    virtual bool run();
    virtual bool readClubs() = 0;
    virtual bool readAthletes() = 0;

    // Each takes the record into its list unless an equal one is there, and
    // gives it the ID of the listed one. Always true.
    bool addAthlete(Athlete& athlete);
    bool addClub(Club& club);

    // Declared in this order so the lists are released before the texts.
    QString report;
    QString sourceName;
    quint8 fromNetwork = 0;   // set by the network importer
    RuvoDBList<Club> clubs;
    RuvoDBList<Athlete> athletes;
};
