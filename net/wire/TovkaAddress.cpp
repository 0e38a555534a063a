// Wire form, statistic key and names of a program's address.
#include "net/wire/TovkaAddress.h"

#include <array>
#include <string>

namespace {

constexpr int NibbleBits = 4;
constexpr quint32 NibbleMask = 0x0f;
constexpr int InstanceCount = 256;

const char* const KindNames[] = {
    "NetMon", "Chief", "Jury", "Buero", "Anzeige", "InfoTerm", "Ausbilder", "BelegungsPlaner", "Timekeeper",
};
constexpr quint32 KindCount = sizeof(KindNames) / sizeof(KindNames[0]);
const char* const UnknownKind = "UNKNOWN";

using InstanceNames = std::array<std::string, InstanceCount>;

InstanceNames buildInstanceNames(quint32 kind)
{
    InstanceNames names;
    for (int instance = 0; instance < InstanceCount; ++instance)
        names[instance] = std::string(KindNames[kind]) + "_" + std::to_string(instance);
    return names;
}

// Kinds whose several instances on one floor area are told apart by name.
const char* instanceName(quint32 kind, quint8 instance)
{
    static const InstanceNames jury = buildInstanceNames(KindJury);
    static const InstanceNames planner = buildInstanceNames(KindBelegungsPlaner);
    return (kind == KindJury ? jury : planner)[instance].c_str();
}

} // namespace

quint8 TovkaAddress::addressByte() const
{
    return quint8((kind << NibbleBits) + subKind);
}

quint32 TovkaAddress::statisticKey() const
{
    return (quint32(addressByte()) << 8) + instance;
}

TovkaAddress TovkaAddress::fromWire(quint8 addressByte, quint8 instance)
{
    return TovkaAddress(addressByte >> NibbleBits, quint8(addressByte & NibbleMask), instance);
}

bool TovkaAddress::operator==(const TovkaAddress& other) const
{
    return kind == other.kind && subKind == other.subKind && instance == other.instance;
}

const char* kindName(quint32 kind)
{
    return kind < KindCount ? KindNames[kind] : UnknownKind;
}

const char* appName(const TovkaAddress& address)
{
    if (address.kind == KindJury || address.kind == KindBelegungsPlaner)
        return instanceName(address.kind, address.instance);
    return kindName(address.kind);
}
