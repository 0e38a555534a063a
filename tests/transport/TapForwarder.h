// Two tap devices opened through /dev/net/tun and joined by a forwarder
// thread that drops a share of the Ethernet frames at random, from a fixed
// seed: a lossy wire between two test hosts, where no netem is at hand.
#pragma once

#include <QString>

#include <atomic>
#include <random>
#include <thread>

class TapForwarder
{
public:
    TapForwarder(double dropChance, unsigned seed);
    ~TapForwarder();

    // Creates both devices on the caller's host; either may then be moved
    // to another network namespace, the forwarder keeps serving it.
    bool open(const QString& nameA, const QString& nameB);
    void start();
    void stop();

    int forwarded() const { return passed.load(); }
    int dropped() const { return lost.load(); }

private:
    static int openTap(const QString& name);
    void run();
    void forward(int from, int to);

    double dropChance;
    std::mt19937 random;
    int tapA = -1;
    int tapB = -1;
    std::thread thread;
    std::atomic<bool> running{false};
    std::atomic<int> passed{0};
    std::atomic<int> lost{0};
};
