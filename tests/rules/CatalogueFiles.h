// Rules-catalogue files ("Reglement.ldb") for tests, built from SQL text, then
// the Descriptor with the magic and the date text from which the rules apply.
#pragma once

#include <QString>

namespace CatalogueFiles {

const int catalogueMagic = 640925;

// "Disziplinen" with all seven disciplines, code 3 included (the fallback list has none).
QString disciplinesSql();
// Every table the catalogue reads, a few good and odd rows each; an age class of one
// discipline comes first (the category list must not skip it).
QString queriesSql();

// Writes a fresh catalogue at path; false, with a warning, on failure.
bool write(const QString& path, const QString& dateText, const QString& sql = disciplinesSql(),
           int magic = catalogueMagic);

// "Reglement.ldb" in folder dir of the last year of the older rules, of the first of the newer
// ones, or with an address book's magic; each returns the file's path, empty on failure.
QString oldRules(const QString& dir, const QString& sql = disciplinesSql());
QString newRules(const QString& dir, const QString& sql = disciplinesSql());
QString wrongMagic(const QString& dir);

} // namespace CatalogueFiles
