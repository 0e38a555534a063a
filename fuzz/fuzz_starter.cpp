// Feeds arbitrary 416-byte start-entry records to their decoder and to the
// start entry built from them: the record's bytes come back exactly, and an
// entry's own record reads back into the same record.
#include "records/ACCompetitorData.h"
#include "records/Starter_t.h"

#include <QtGlobal>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

void quiet(QtMsgType, const QMessageLogContext&, const QString&)
{
}

void written(const Starter_t& s, uint8_t* out)
{
    std::memset(out, 0, Starter_t::Size);
    s.write(out);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    qInstallMessageHandler(quiet);   // the reader logs every record
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < size_t(Starter_t::Size))
        return 0;

    uint8_t a[Starter_t::Size];
    uint8_t b[Starter_t::Size];
    const Starter_t record = Starter_t::read(data);
    written(record, a);
    if (std::memcmp(a, data, sizeof a) != 0)
        abort();

    // The first pass takes the record into the entry's own form (names
    // simplified and cleaned, codes checked); after that it is a fixpoint.
    Starter_t once;
    ACCompetitorData(record).toStarter(once);
    Starter_t twice;
    ACCompetitorData(once).toStarter(twice);
    Starter_t thrice;
    ACCompetitorData(twice).toStarter(thrice);
    written(twice, a);
    written(thrice, b);
    if (std::memcmp(a, b, sizeof a) != 0)
        abort();
    return 0;
}
