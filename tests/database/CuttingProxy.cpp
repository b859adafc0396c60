#include "CuttingProxy.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>

namespace StoreTest {
namespace {

sockaddr_in Loopback(int port) {
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(static_cast<std::uint16_t>(port));
    return addr;
}

bool SendAll(int fd, const char* data, ssize_t size) {
    while (size > 0) {
        const ssize_t sent = ::send(fd, data, static_cast<std::size_t>(size), MSG_NOSIGNAL);
        if (sent <= 0) return false;
        data += sent;
        size -= sent;
    }
    return true;
}

}  // namespace

CuttingProxy::CuttingProxy(int serverPort) : serverPort_(serverPort) {
    listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr = Loopback(0);
    socklen_t len = sizeof addr;
    if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::listen(listener_, 16) != 0 || ::getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        throw std::runtime_error("the proxy cannot listen");
    }
    port_ = ntohs(addr.sin_port);
    acceptor_ = std::thread([this] { Accept(); });
}

CuttingProxy::~CuttingProxy() {
    stop_ = true;
    acceptor_.join();
    for (auto& relay : relays_) relay.join();
    ::close(listener_);
}

void CuttingProxy::Accept() {
    while (!stop_) {
        pollfd p{listener_, POLLIN, 0};
        if (::poll(&p, 1, 50) <= 0) continue;
        const int client = ::accept(listener_, nullptr, nullptr);
        if (client < 0) continue;
        const int server = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr = Loopback(serverPort_);
        if (server < 0 || ::connect(server, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
            ::close(client);
            if (server >= 0) ::close(server);
            continue;
        }
        std::lock_guard lock(mutex_);
        relays_.emplace_back([this, client, server] { Relay(client, server); });
    }
}

void CuttingProxy::Relay(int client, int server) {
    char buffer[16384];
    bool open = true;
    while (open && !stop_) {
        pollfd p[2] = {{client, POLLIN, 0}, {server, POLLIN, 0}};
        if (::poll(p, 2, 50) <= 0) continue;
        if (p[0].revents) {
            const ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
            open = n > 0 && SendAll(server, buffer, n);
            if (open && cut_.exchange(false)) {
                // The statement is on its way; the client loses its connection before any answer,
                // while the server side stays up long enough for the statement to run.
                ::shutdown(client, SHUT_RDWR);
                const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(500);
                while (std::chrono::steady_clock::now() < until) {
                    pollfd s{server, POLLIN, 0};
                    if (::poll(&s, 1, 50) > 0 && ::recv(server, buffer, sizeof buffer, 0) <= 0) break;
                }
                open = false;
            }
        }
        if (open && p[1].revents) {
            const ssize_t n = ::recv(server, buffer, sizeof buffer, 0);
            open = n > 0 && SendAll(client, buffer, n);
        }
    }
    ::close(client);
    ::close(server);
}

}  // namespace StoreTest
