// The send queue's mutex, taken and released through two wrappers that watch
// how it is used. They keep a process-wide lock depth and the thread that
// locked last, and log, with the caller's file and line, a lock taken while
// the depth is above 0, a change of the locking thread, and an unlock with
// nothing locked. That unlock is refused: unlocking a mutex that is not
// locked is undefined.
#pragma once

#include <qnamespace.h>

#include <atomic>
#include <mutex>

class CheckedMutex
{
public:
    CheckedMutex() = default;
    CheckedMutex(const CheckedMutex&) = delete;
    CheckedMutex& operator=(const CheckedMutex&) = delete;

    void lock(const char* file = __builtin_FILE(), int line = __builtin_LINE());
    void unlock(const char* file = __builtin_FILE(), int line = __builtin_LINE());

    // Holds the mutex for a scope, so no way out of it leaves the mutex locked.
    class Guard
    {
    public:
        explicit Guard(CheckedMutex& mutex, const char* file = __builtin_FILE(), int line = __builtin_LINE())
            : mutex(mutex), file(file), line(line)
        {
            mutex.lock(file, line);
        }
        ~Guard() { mutex.unlock(file, line); }
        Guard(const Guard&) = delete;
        Guard& operator=(const Guard&) = delete;

    private:
        CheckedMutex& mutex;
        const char* file;
        int line;
    };

private:
    std::mutex mutex;
    // The thread that holds this mutex, so an unlock from any other is refused.
    std::atomic<Qt::HANDLE> holder{nullptr};

    static std::atomic<int> depth;
    static std::atomic<Qt::HANDLE> lastThread;
};
