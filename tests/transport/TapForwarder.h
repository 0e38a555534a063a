// Two tap devices opened through /dev/net/tun and joined by a forwarder
// thread that drops a share of the Ethernet frames at random, from a fixed
// seed: a lossy wire between two test hosts, where no netem is at hand.
#pragma once

#include <QString>

#include <atomic>
#include <cstring>
#include <fcntl.h>
#include <linux/if_tun.h>
#include <net/if.h>
#include <poll.h>
#include <random>
#include <sys/ioctl.h>
#include <thread>
#include <unistd.h>

class TapForwarder
{
public:
    TapForwarder(double dropChance, unsigned seed) : dropChance(dropChance), random(seed) {}
    ~TapForwarder()
    {
        running = false;
        if (thread.joinable())
            thread.join();
        ::close(taps[0].fd);
        ::close(taps[1].fd);
    }

    // Creates both devices on the caller's host and starts forwarding; either
    // may then be moved to another network namespace, the forwarder keeps serving it.
    bool open(const QString& nameA, const QString& nameB)
    {
        taps[0].fd = openTap(nameA);
        taps[1].fd = openTap(nameB);
        if (taps[0].fd >= 0 && taps[1].fd >= 0)
            thread = std::thread([this] { run(); });
        return thread.joinable();
    }

    int dropped() const { return lost.load(); }

private:
    static int openTap(const QString& name)
    {
        const int fd = ::open("/dev/net/tun", O_RDWR | O_CLOEXEC);
        ifreq request{};
        request.ifr_flags = IFF_TAP | IFF_NO_PI;
        std::strncpy(request.ifr_name, name.toLocal8Bit().constData(), IFNAMSIZ - 1);
        if (fd >= 0 && ::ioctl(fd, TUNSETIFF, &request) < 0) {
            ::close(fd);
            return -1;
        }
        return fd;
    }

    void run()
    {
        static char frame[65536];
        std::uniform_real_distribution<double> chance(0.0, 1.0);
        while (running) {
            if (::poll(taps, 2, 50) <= 0)
                continue;
            for (int from = 0; from < 2; ++from) {
                const ssize_t size = (taps[from].revents & POLLIN) ? ::read(taps[from].fd, frame, sizeof(frame)) : 0;
                // A full device drops a frame as a wire would.
                if (size > 0 && (chance(random) < dropChance || ::write(taps[1 - from].fd, frame, size_t(size)) < 0))
                    ++lost;
            }
        }
    }

    double dropChance;
    std::mt19937 random;
    pollfd taps[2] = {{-1, POLLIN, 0}, {-1, POLLIN, 0}};
    std::thread thread;
    std::atomic<bool> running{true};
    std::atomic<int> lost{0};
};
