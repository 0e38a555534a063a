// Another program of the suite, on threads of its own, flooding a program
// with data packets 1, 2, ... from the office at a steady rate, in bursts
// written back to back, and counting its acknowledgements. Header-only, so
// benchmarks can use it too.
#pragma once

#include "tests/support/Datagram.h"

#include "net/transport/UdpSocketLinux.h"

#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <sched.h>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

class FloodPeer
{
public:
    // host: the namespace of the peer's host, empty for this one; group:
    // 127.255.255.255 or the multicast group; link: the address of the peer's
    // multicast link, empty on the loopback.
    FloodPeer(const QString& host, const QString& group, const QString& link, int packets, int perSecond,
              int burst = 20, const TovkaAddress& receiver = TovkaAddress(7, 0, 0))
        : fd(openSocket(host, group, link)), to(endpoint(group)), burst(burst), receiver(receiver),
          seen(size_t(packets) + 1)
    {
        Datagram data;
        data.type = PacketType::DATA;
        data.from = TovkaAddress(3, 0, 0);
        data.to = receiver;
        data.payload = "Trainingsplan der Halle";
        for (int sequence = 1; sequence <= packets; ++sequence) {
            data.sequence = quint32(sequence);
            data.counter = quint16(sequence);
            datagrams.push_back(data.bytes().toStdString());
        }
        sender = std::thread([this, gap = std::chrono::microseconds(1000000LL * burst / perSecond)] { send(gap); });
        listener = std::thread([this] { listen(); });
    }

    ~FloodPeer()
    {
        stop = true;
        sender.join();
        listener.join();
        ::close(fd);
    }

    bool valid() const { return fd >= 0; }
    int socket() const { return fd; }
    int packets() const { return int(datagrams.size()); }
    bool sent() const { return done; }
    std::atomic<int> acknowledged{0};

private:
    static sockaddr_in endpoint(const QString& address)
    {
        return sockaddr_in{AF_INET, htons(UdpSocketLinux::port), {inet_addr(qPrintable(address))}, {}};
    }

    static int openSocket(const QString& host, const QString& group, const QString& link)
    {
        const int home = ::open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC);
        const int there = host.isEmpty() ? -1 : ::open(qPrintable("/run/netns/" + host), O_RDONLY | O_CLOEXEC);
        if (there >= 0)
            ::setns(there, CLONE_NEWNET);
        const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        const int on = 1;
        const int off = 0;
        const timeval tick{0, 100000};
        // Room for every acknowledgement of the flood, so a peer held up by
        // the scheduler loses none of them (the tests run as root).
        const int room = 8 << 20;
        ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof(on));
        ::setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof(on));
        ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tick, sizeof(tick));
        ::setsockopt(fd, SOL_SOCKET, SO_RCVBUFFORCE, &room, sizeof(room));
        const sockaddr_in local = endpoint(group);
        ::bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof(local));
        const ip_mreq join{local.sin_addr, {inet_addr(qPrintable(link))}};
        if (!link.isEmpty()) {
            ::setsockopt(fd, IPPROTO_IP, IP_ADD_MEMBERSHIP, &join, sizeof(join));
            ::setsockopt(fd, IPPROTO_IP, IP_MULTICAST_IF, &join.imr_interface, sizeof(join.imr_interface));
            ::setsockopt(fd, IPPROTO_IP, IP_MULTICAST_LOOP, &off, sizeof(off));
            ::setsockopt(fd, IPPROTO_IP, IP_MULTICAST_ALL, &off, sizeof(off));
        }
        if (there >= 0) {
            ::setns(home, CLONE_NEWNET);
            ::close(there);
        }
        ::close(home);
        return fd;
    }

    void send(std::chrono::microseconds gap)
    {
        auto next = std::chrono::steady_clock::now();
        for (size_t i = 0; i < datagrams.size() && !stop; ++i) {
            if (i % size_t(burst) == 0)
                std::this_thread::sleep_until(next += gap);
            const std::string& datagram = datagrams[i];
            ::sendto(fd, datagram.data(), datagram.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof(to));
        }
        done = true;
    }

    void listen()
    {
        uint8_t buffer[PacketHeader::MaxPacket];
        PacketHeader ack;
        while (!stop) {
            const ssize_t size = ::recv(fd, buffer, sizeof(buffer), 0);
            if (size > 0 && PacketHeader::read(buffer, int(size), &ack) && ack.type == PacketType::ACK
                && ack.source() == receiver && ack.destinationAddress == 0x30 && ack.sequence >= 1
                && ack.sequence < seen.size() && !seen[ack.sequence]) {
                seen[ack.sequence] = true;
                ++acknowledged;
            }
        }
    }

    const int fd;
    const sockaddr_in to;
    const int burst;
    const TovkaAddress receiver;
    std::vector<std::string> datagrams;
    std::vector<bool> seen; // listener thread only
    std::atomic<bool> stop{false};
    std::atomic<bool> done{false};
    std::thread sender;
    std::thread listener;
};
