// The entry importer's defaults, its run and the merge of imported entries.
#include "records/MeldeImporter.h"

#include <QDebug>

namespace {

const int defaultYear = 2006;   // the rules year of a source that names none

} // namespace

MeldeImporter::MeldeImporter(const QString& source) : AddressImport(source)
{
}

MeldeImporter::~MeldeImporter() = default;

int MeldeImporter::getKind()
{
    return 0;
}

int MeldeImporter::getYear()
{
    return defaultYear;
}

bool MeldeImporter::getEntries(WertungList&)
{
    return false;
}

int MeldeImporter::getNumber()
{
    return -1;
}

bool MeldeImporter::finish()
{
    return false;
}

bool MeldeImporter::run()
{
    // Entries refer to the clubs and athletes read, so they are built only
    // when those were read.
    if (!AddressImport::run())
        return false;
    for (int i = 1; i < clubs.size(); ++i) {
        Athlete& contact = clubs[i].Kontakt;
        if (contact.Vorname.isEmpty() && contact.Nachname.isEmpty())
            contact = clubs.first().Kontakt;
    }
    return finish();
}

bool MeldeImporter::mergeCompetitor(ACCompetitorData& competitor)
{
    for (ACCompetitorData& known : competitors) {
        // Not the whole entry's equality: the entry known must differ from
        // the imported one in what the merge takes over, its codes included.
        if (!known.team.isSame(competitor.team))
            continue;
        if (known.merge(competitor, false, &report))
            return true;
        qDebug() << "MeldeImporter::mergeCompetitor failed:";
        competitor.dump();
        return false;
    }
    qDebug() << "MeldeImport::mergeCompetitor new one:";
    competitor.dump();
    competitors.append(competitor);
    return true;
}
