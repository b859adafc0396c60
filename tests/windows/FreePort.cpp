// ThrowawayServer::FreePort for Windows (Winsock): the database-free tests point the store at a
// port nothing listens on. The rest of ThrowawayServer runs database servers and stays on Linux.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <stdexcept>

#include "support/ThrowawayServer.h"

namespace TestSupport {
namespace {

// Winsock wants one start-up per process before its first socket.
void StartWinsock() {
    static const bool started = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    if (!started) throw std::runtime_error("no free port: Winsock did not start");
}

}  // namespace

int ThrowawayServer::FreePort() {
    StartWinsock();
    const SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    int len = sizeof addr;
    if (s == INVALID_SOCKET || bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        if (s != INVALID_SOCKET) closesocket(s);
        throw std::runtime_error("no free port");
    }
    closesocket(s);
    return ntohs(addr.sin_port);
}

}  // namespace TestSupport
