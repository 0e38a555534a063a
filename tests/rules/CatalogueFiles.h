// Rules-catalogue files ("Reglement.ldb") for tests, built from SQL text: the
// tables a test needs, then the Descriptor with the magic and the date text
// from which the catalogue applies.
#pragma once

#include <QString>

namespace CatalogueFiles {

const int catalogueMagic = 640925;
const int otherMagic = 940829;   // an address book's
const char* const oldRulesDate = "15.03.2007";   // the last year of the older rules
const char* const newRulesDate = "2008-01-01";   // the first year of the newer rules

// "Disziplinen" with all seven disciplines, code 3 included (the fallback list has none).
QString disciplinesSql();
// The disciplines and every table the catalogue's queries read, a few good and odd rows
// each, with an age class of one discipline first (the category list must not skip it).
QString queriesSql();

// Writes a fresh catalogue at path (replacing a file there): sql, then the Descriptor. False, with a warning, on failure.
bool write(const QString& path, const QString& dateText, const QString& sql = disciplinesSql(),
           int magic = catalogueMagic);

// "Reglement.ldb" in folder dir; each returns the file's path, empty on failure.
QString oldRules(const QString& dir, const QString& sql = disciplinesSql());
QString newRules(const QString& dir, const QString& sql = disciplinesSql());
QString wrongMagic(const QString& dir);

} // namespace CatalogueFiles
