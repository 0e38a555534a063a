// The lossy forwarder between two tap devices.
#include "TapForwarder.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/if_tun.h>
#include <net/if.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

constexpr int MaxFrame = 65536;
constexpr int PollMs = 50;

} // namespace

TapForwarder::TapForwarder(double dropChance, unsigned seed) : dropChance(dropChance), random(seed) {}

TapForwarder::~TapForwarder()
{
    stop();
    if (tapA >= 0)
        ::close(tapA);
    if (tapB >= 0)
        ::close(tapB);
}

int TapForwarder::openTap(const QString& name)
{
    const int fd = ::open("/dev/net/tun", O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return -1;
    ifreq request;
    std::memset(&request, 0, sizeof(request));
    request.ifr_flags = IFF_TAP | IFF_NO_PI;
    std::strncpy(request.ifr_name, name.toLocal8Bit().constData(), IFNAMSIZ - 1);
    if (::ioctl(fd, TUNSETIFF, &request) < 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool TapForwarder::open(const QString& nameA, const QString& nameB)
{
    tapA = openTap(nameA);
    tapB = openTap(nameB);
    return tapA >= 0 && tapB >= 0;
}

void TapForwarder::start()
{
    running = true;
    thread = std::thread([this] { run(); });
}

void TapForwarder::stop()
{
    running = false;
    if (thread.joinable())
        thread.join();
}

void TapForwarder::run()
{
    pollfd fds[2] = {{tapA, POLLIN, 0}, {tapB, POLLIN, 0}};
    while (running) {
        if (::poll(fds, 2, PollMs) <= 0)
            continue;
        if (fds[0].revents & POLLIN)
            forward(tapA, tapB);
        if (fds[1].revents & POLLIN)
            forward(tapB, tapA);
    }
}

void TapForwarder::forward(int from, int to)
{
    static thread_local char frame[MaxFrame];
    const ssize_t size = ::read(from, frame, sizeof(frame));
    if (size <= 0)
        return;
    std::uniform_real_distribution<double> chance(0.0, 1.0);
    if (chance(random) < dropChance) {
        ++lost;
        return;
    }
    if (::write(to, frame, size_t(size)) == size)
        ++passed;
}
