// The lock wrappers and their log lines.
#include "net/transport/CheckedMutex.h"

#include <QThread>

#include <cstring>

std::atomic<int> CheckedMutex::depth{0};
std::atomic<Qt::HANDLE> CheckedMutex::lastThread{nullptr};

namespace {

// The file's name without its folders, as the log shows it.
const char* baseName(const char* file)
{
    const char* slash = std::strrchr(file, '/');
    return slash ? slash + 1 : file;
}

} // namespace

void CheckedMutex::lock(const char* file, int line)
{
    const Qt::HANDLE self = QThread::currentThreadId();
    const int before = depth.load();
    if (before > 0) {
        const Qt::HANDLE last = lastThread.load();
        qWarning("!!!!  %s %d LOCK_MUTEX: thread %p %s lock  !!!!!!", baseName(file), line, last,
                 last == self ? "RECURSIVE" : "");
    }
    mutex.lock();
    holder.store(self);
    if (lastThread.exchange(self) != self) {
        qWarning("%s %d LOCK_MUTEX: new thread is: %p", baseName(file), line, self);
        if (before != 0)
            qWarning("%s %d LOCK_MUTEX: thread %p maybe blocked", baseName(file), line, self);
    }
    ++depth;
}

void CheckedMutex::unlock(const char* file, int line)
{
    if (depth.load() < 1 || holder.load() != QThread::currentThreadId()) {
        qWarning("%s %d: !!!!FATAL   UNLOCK_MUTEX: try to unlock a none locked mutex  FATAL!!!!!", baseName(file),
                 line);
        return;
    }
    holder.store(nullptr);
    --depth;
    mutex.unlock();
}
