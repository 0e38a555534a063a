// This process's UDP sockets on one port as the kernel sees them: the bytes
// each one has waiting to be read and the datagrams it dropped for want of
// room. Read from /proc, so a test can tell a reader that falls behind (the
// kernel drops) from one that stopped reading a socket (bytes wait while
// nothing is read). Header-only.
#pragma once

#include <QDir>
#include <QFile>
#include <QMap>
#include <QSet>

#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

class SocketQueues
{
public:
    // ignoredSocket: a descriptor of this process to leave out, or -1.
    SocketQueues(quint16 port, int ignoredSocket) : port(port), ignored(inodeOf(ignoredSocket)) {}

    // Reads the kernel's table afresh.
    void sample()
    {
        previous = waiting;
        waiting.clear();
        const QSet<quint64> mine = ownSockets();
        QFile table(QStringLiteral("/proc/net/udp"));
        if (!table.open(QIODevice::ReadOnly))
            return;
        table.readLine(); // the column heads
        while (!table.atEnd()) {
            const QList<QByteArray> cells = table.readLine().simplified().split(' ');
            // sl local rem st tx:rx tr:when retrnsmt uid timeout inode ref pointer drops
            if (cells.size() < 13 || cells[1].split(':').value(1).toUInt(nullptr, 16) != port)
                continue;
            const quint64 inode = cells[9].toULongLong();
            if (!mine.contains(inode) || inode == ignored)
                continue;
            waiting[inode] = cells[4].split(':').value(1).toLongLong(nullptr, 16);
            drops[inode] = cells[12].toLongLong();
        }
    }

    qint64 queued() const
    {
        qint64 sum = 0;
        for (qint64 bytes : waiting)
            sum += bytes;
        return sum;
    }

    // Datagrams dropped since the sockets were opened; a socket gone keeps its count.
    qint64 dropped() const
    {
        qint64 sum = 0;
        for (qint64 count : drops)
            sum += count;
        return sum;
    }

    // Whether some socket holds fewer bytes than at the sample before: it was read.
    bool someShrank() const
    {
        for (auto it = waiting.begin(); it != waiting.end(); ++it)
            if (it.value() < previous.value(it.key(), 0))
                return true;
        return false;
    }

private:
    static quint64 inodeOf(int descriptor)
    {
        struct stat status;
        return descriptor >= 0 && ::fstat(descriptor, &status) == 0 ? quint64(status.st_ino) : 0;
    }

    static QSet<quint64> ownSockets()
    {
        QSet<quint64> inodes;
        const QDir descriptors(QStringLiteral("/proc/self/fd"));
        for (const QString& name : descriptors.entryList(QDir::System | QDir::NoDotAndDotDot)) {
            char target[64] = {};
            unsigned long long inode = 0;
            const QByteArray link = QFile::encodeName(descriptors.filePath(name));
            if (::readlink(link.constData(), target, sizeof(target) - 1) > 0
                && std::sscanf(target, "socket:[%llu]", &inode) == 1)
                inodes.insert(inode);
        }
        return inodes;
    }

    const quint16 port;
    const quint64 ignored;
    QMap<quint64, qint64> waiting;
    QMap<quint64, qint64> previous;
    QMap<quint64, qint64> drops;
};
