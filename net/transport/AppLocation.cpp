// Peer records of the transport's peer table.
#include "net/transport/AppLocation.h"

#include "db/text/CString.h"

#include <cstring>

void AppLocation::setHostName(const char* name, int maxLength)
{
    std::memset(hostName, 0, sizeof(hostName));
    if (!name)
        return;
    const int limit = qMin(maxLength, hostNameSize - 1);
    int length = 0;
    while (length < limit && name[length] != '\0')
        ++length;
    std::memcpy(hostName, name, size_t(length));
}

QString AppLocation::hostNameText() const
{
    QString text;
    return fromCString(text, hostName);
}

bool AppLocation::isSameApp(const AppLocation& other) const
{
    return address == other.address && std::strncmp(hostName, other.hostName, hostNameSize) == 0;
}
