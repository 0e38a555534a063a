// A name of the address book's list, kept as it is stored.
#include "records/NameEntry.h"

#include "db/Conversions.h"

NameEntry::NameEntry(const QString& name, int id) : ID(id < 0 ? 0 : id)
{
    setName(name);
}

void NameEntry::setName(const QString& text)
{
    name = cleanSqlText(text.simplified());
}
