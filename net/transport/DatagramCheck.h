// The reader's check of a received datagram: a sound packet of this protocol
// version passes, the rest is dropped with its log line. A pong of another
// version heard while the version check runs leaves a line for the
// version-conflict warning, once per program and version. Plain logic.
#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>

class DatagramCheck
{
public:
    static constexpr int maxConflictLines = 50;

    bool accept(const uint8_t* data, int size, bool versionCheckRunning);
    // The lines of the programs of another version, one after the other;
    // empty when none was heard.
    QString conflictText() const { return conflictLines.join(QString()); }

private:
    void noteVersionConflict(const uint8_t* data, int size);

    QStringList conflictLines;
};
