#include "EchoClient.h"

#include "InternetError.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <ifaddrs.h>
#include <net/if.h>
#include <netdb.h>
#include <netinet/ip_icmp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int BufferSize = 8192;
constexpr int StopPollMs = 100;

sockaddr_in addressOf(const QString& host) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    addrinfo* found = nullptr;
    const int error = ::getaddrinfo(host.toUtf8().constData(), nullptr, &hints, &found);
    if (error != 0 || found == nullptr)
        throw EInternetError(QStringLiteral("Cannot find the address of %1: %2")
                                 .arg(host, QString::fromUtf8(::gai_strerror(error))));
    sockaddr_in address{};
    std::memcpy(&address, found->ai_addr, sizeof address);
    ::freeaddrinfo(found);
    return address;
}

class TSocket {
  public:
    TSocket() : fd_(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_ICMP)) {}
    ~TSocket() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    TSocket(const TSocket&) = delete;
    TSocket& operator=(const TSocket&) = delete;
    int fd() const { return fd_; }

  private:
    int fd_;
};

} // namespace

TEchoResult SendEcho(const QString& host, int timeoutMs, const std::function<bool()>& stopped) {
    const sockaddr_in address = addressOf(host);
    const TSocket socket;
    if (socket.fd() < 0) {
        if (errno == EACCES || errno == EPERM || errno == EPROTONOSUPPORT)
            return TEchoResult::NotAllowed;
        throw EInternetError(QStringLiteral("Cannot open a ping socket: %1")
                                 .arg(QString::fromLocal8Bit(std::strerror(errno))));
    }
    static std::atomic<uint16_t> sequence{0};
    icmphdr request{};
    request.type = ICMP_ECHO;
    request.un.echo.sequence = htons(++sequence);
    // The kernel fills in the identifier and the checksum of a ping socket.
    if (::sendto(socket.fd(), &request, sizeof request, 0,
                 reinterpret_cast<const sockaddr*>(&address), sizeof address) < 0)
        throw EInternetError(QStringLiteral("Cannot send an echo request to %1: %2")
                                 .arg(host, QString::fromLocal8Bit(std::strerror(errno))));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < deadline && !(stopped && stopped())) {
        pollfd waiting{socket.fd(), POLLIN, 0};
        if (::poll(&waiting, 1, StopPollMs) <= 0)
            continue;
        char reply[BufferSize];
        const ssize_t size = ::recv(socket.fd(), reply, sizeof reply, 0);
        icmphdr header{};
        if (size < ssize_t(sizeof header))
            continue;
        std::memcpy(&header, reply, sizeof header);
        if (header.type == ICMP_ECHOREPLY && header.un.echo.sequence == request.un.echo.sequence)
            return TEchoResult::Answered;
    }
    return TEchoResult::NoAnswer;
}

bool SystemOnline() {
    ifaddrs* interfaces = nullptr;
    if (::getifaddrs(&interfaces) != 0)
        return true; // unknown: the echo decides
    bool online = false;
    for (const ifaddrs* i = interfaces; i != nullptr && !online; i = i->ifa_next) {
        const unsigned flags = i->ifa_flags;
        online = i->ifa_addr != nullptr &&
                 (i->ifa_addr->sa_family == AF_INET || i->ifa_addr->sa_family == AF_INET6) &&
                 (flags & IFF_UP) && (flags & IFF_RUNNING) && !(flags & IFF_LOOPBACK);
    }
    ::freeifaddrs(interfaces);
    return online;
}
