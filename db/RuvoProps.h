// The process-wide key/value properties, kept in the table "RuvoProps" of the
// open main database; each reader has a default for no database or no key.
// A table of another layout is never written, and read only for defaults.
#pragma once

#include <QString>

class RuvoDB;

class RuvoProps
{
public:
    static RuvoProps* instance();

    void setDatabase(RuvoDB* db);

    QString get(const QString& key, const QString& defaultValue = QString()) const;
    bool set(const QString& key, const QString& value);

    static char decimalSeparator();
    static bool nameFormat();
    static bool startGemeinschaft(int diszi);

private:
    enum Layout { Missing, Ours, Foreign };

    RuvoProps() = default;
    Layout layout() const;
    void reportForeignLayout() const;
    bool find(const QString& key, QString* value) const;

    RuvoDB* db = nullptr;
};
