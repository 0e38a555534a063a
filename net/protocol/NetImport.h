// The import of a starter record received from the jury (message 4/3): one
// club, the athletes, one competitor entry and, for an absent starter or one
// with a medical certificate, a score record, read from the record instead
// of a file. The decoder builds one per message and hands it to the
// receivers while the signal is delivered.
#pragma once

#include "net/protocol/NetStarter_t.h"
#include "records/MeldeImporter.h"

class NetImport : public MeldeImporter
{
public:
    explicit NetImport(const NetStarter_t* record = nullptr);
    ~NetImport() override;

    // Takes a copy of the record; null leaves an importer that finds nothing.
    void setRecord(const NetStarter_t* record);
    bool isTeam() const;

    bool readClubs() override;
    bool readAthletes() override;
    int getYear() override;
    bool getEntries(WertungList& list) override;
    int getNumber() override;
    bool finish() override;

private:
    bool hasRecord = false;
    NetStarter_t record;
};
