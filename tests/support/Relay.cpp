#include "support/Relay.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace TestSupport {
namespace {

constexpr std::size_t kHeader = 4;  // 3 bytes of payload length, 1 of sequence id
constexpr std::size_t kFullPayload = 0xFFFFFF;  // a payload this long goes on in the next packet
constexpr char kComQuery = 0x03;
constexpr std::uint32_t kClientSsl = 0x0800;
constexpr std::size_t kKeptText = 200;
constexpr int kPollMs = 50;

sockaddr_in Loopback(int port) {
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(static_cast<std::uint16_t>(port));
    return addr;
}

std::uint32_t LittleEndian(std::string_view bytes, std::size_t count) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < count; ++i)
        value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])) << (8 * i);
    return value;
}

}  // namespace

struct Relay::Link {
    int client = -1;  // both closed (and -1) only under the relay's mutex
    int server = -1;
    std::atomic<bool> cut{false};
    std::atomic<bool> done{false};
    bool greeted = false;  // the client's first packet, its handshake answer, went by
    bool opaque = false;  // the client switched to TLS: its packets cannot be read any more
    bool continuing = false;  // the last packet was full, so the next one is the same command's
    Fault afterCommand = Fault::None;  // due once the current command's last packet is passed on
    std::uint64_t holdMark = 0;  // releases_ when the hold was taken
    std::thread thread;
};

Relay::Relay(int serverPort) : serverPort_(serverPort) {
    listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr = Loopback(0);
    socklen_t len = sizeof addr;
    if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::listen(listener_, 64) != 0 || ::getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        if (listener_ >= 0) ::close(listener_);
        throw std::runtime_error("the relay cannot listen");
    }
    port_ = ntohs(addr.sin_port);
    acceptor_ = std::thread([this] { Accept(); });
}

Relay::~Relay() {
    stop_ = true;
    acceptor_.join();
    for (auto& link : links_) link->thread.join();
    std::lock_guard lock(mutex_);
    CloseBlackHoled();
    ::close(listener_);
}

std::vector<std::string> Relay::Statements() const {
    std::lock_guard lock(mutex_);
    return statements_;
}

int Relay::StatementCount() const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(statements_.size());
}

void Relay::ClearStatements() {
    std::lock_guard lock(mutex_);
    statements_.clear();
}

void Relay::CutAnswerOf(std::string prefix) { Arm(Fault::CutAnswer, std::move(prefix)); }
void Relay::DropBefore(std::string prefix) { Arm(Fault::DropBefore, std::move(prefix)); }
void Relay::HoldAt(std::string prefix) { Arm(Fault::Hold, std::move(prefix)); }

void Relay::Arm(Fault fault, std::string prefix) {
    std::lock_guard lock(mutex_);
    traps_.push_back({fault, std::move(prefix)});
}

void Relay::Release() {
    std::lock_guard lock(mutex_);
    ++releases_;
}

bool Relay::Armed() const {
    std::lock_guard lock(mutex_);
    return !traps_.empty();
}

void Relay::SetBlackHole(bool on) {
    std::lock_guard lock(mutex_);
    blackHole_ = on;
    if (!on) CloseBlackHoled();
}

void Relay::CutAll() {
    // Shut down rather than closed, so no descriptor is reused under a relay thread; the peers
    // see the connection end at once, and the thread closes the sockets.
    std::lock_guard lock(mutex_);
    for (auto& link : links_) {
        link->cut = true;
        if (link->client >= 0) ::shutdown(link->client, SHUT_RDWR);
        if (link->server >= 0) ::shutdown(link->server, SHUT_RDWR);
    }
}

void Relay::SetDelay(std::chrono::microseconds oneWay) { delayMicros_ = oneWay.count(); }

void Relay::CloseBlackHoled() {
    for (const int fd : blackHoled_) ::close(fd);
    blackHoled_.clear();
}

void Relay::Accept() {
    while (!stop_) {
        {
            std::lock_guard lock(mutex_);
            for (auto it = links_.begin(); it != links_.end();) {
                if (!(*it)->done) {
                    ++it;
                    continue;
                }
                (*it)->thread.join();
                it = links_.erase(it);
            }
        }
        pollfd p{listener_, POLLIN, 0};
        if (::poll(&p, 1, kPollMs) <= 0) continue;
        const int client = ::accept(listener_, nullptr, nullptr);
        if (client < 0) continue;
        {
            std::lock_guard lock(mutex_);
            if (blackHole_) {
                blackHoled_.push_back(client);
                continue;
            }
        }
        const int server = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr = Loopback(serverPort_);
        if (server < 0 || ::connect(server, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
            ::close(client);
            if (server >= 0) ::close(server);
            continue;
        }
        auto link = std::make_unique<Link>();
        link->client = client;
        link->server = server;
        Link& started = *link;
        std::lock_guard lock(mutex_);
        links_.push_back(std::move(link));
        started.thread = std::thread([this, &started] { Pump(started); });
    }
}

void Relay::Pump(Link& link) {
    std::string pending;  // from the client, not passed on yet
    std::vector<char> buffer(64 * 1024);
    Outcome outcome = Outcome::Open;
    while (outcome != Outcome::Closed && !stop_ && !link.cut) {
        if (outcome == Outcome::Held) {
            if (releases_ == link.holdMark) {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
                continue;
            }
            outcome = PassOn(link, pending);  // what queued up behind the held statement
            continue;
        }
        pollfd p[2] = {{link.client, POLLIN, 0}, {link.server, POLLIN, 0}};
        if (::poll(p, 2, kPollMs) <= 0) continue;
        if (p[0].revents) {
            const ssize_t n = ::recv(link.client, buffer.data(), buffer.size(), 0);
            if (n <= 0) break;
            pending.append(buffer.data(), static_cast<std::size_t>(n));
            outcome = PassOn(link, pending);
            if (outcome != Outcome::Open) continue;
        }
        if (p[1].revents) {
            const ssize_t n = ::recv(link.server, buffer.data(), buffer.size(), 0);
            if (n <= 0 || !Send(link.client, std::string_view(buffer.data(), static_cast<std::size_t>(n)))) break;
        }
    }
    Close(link);
    link.done = true;
}

Relay::Outcome Relay::PassOn(Link& link, std::string& pending) {
    // Whole packets only: a statement is judged before any byte of it is passed on.
    std::size_t at = 0;
    const auto passUpTo = [&](std::size_t end) {
        const bool sent = Send(link.server, std::string_view(pending).substr(0, end));
        pending.erase(0, end);
        return sent;
    };
    while (!link.opaque && pending.size() - at >= kHeader) {
        const std::string_view view = std::string_view(pending).substr(at);
        const std::size_t length = LittleEndian(view, 3);
        if (view.size() < kHeader + length) break;
        const std::string_view payload = view.substr(kHeader, length);
        const bool command = view[3] == 0 && !link.continuing;
        if (!link.greeted) {
            link.greeted = true;
            link.opaque = length >= 4 && (LittleEndian(payload, 4) & kClientSsl) != 0;
        }
        link.continuing = length == kFullPayload;
        if (command && length > 0 && payload[0] == kComQuery) {
            const Fault fault = Take(payload.substr(1), link);
            if (fault == Fault::DropBefore) {
                passUpTo(at);
                return Outcome::Closed;
            }
            link.afterCommand = fault;
        }
        at += kHeader + length;
        if (link.afterCommand != Fault::None && !link.continuing) {
            const Fault fault = std::exchange(link.afterCommand, Fault::None);
            if (!passUpTo(at)) return Outcome::Closed;
            if (fault == Fault::Hold) return Outcome::Held;
            LoseAnswer(link);
            return Outcome::Closed;
        }
    }
    if (link.opaque) at = pending.size();
    return passUpTo(at) ? Outcome::Open : Outcome::Closed;
}

Relay::Fault Relay::Take(std::string_view text, Link& link) {
    std::lock_guard lock(mutex_);
    const auto trap = std::find_if(traps_.begin(), traps_.end(), [&](const Trap& t) { return text.starts_with(t.prefix); });
    Fault fault = Fault::None;
    if (trap != traps_.end()) {
        fault = trap->fault;
        traps_.erase(trap);
    }
    if (fault == Fault::Hold) link.holdMark = releases_;
    if (fault != Fault::DropBefore) statements_.emplace_back(text.substr(0, kKeptText));
    return fault;
}

bool Relay::Send(int fd, std::string_view bytes) const {
    if (bytes.empty()) return true;
    if (const auto delay = delayMicros_.load(); delay > 0) std::this_thread::sleep_for(std::chrono::microseconds(delay));
    while (!bytes.empty()) {
        const ssize_t sent = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
}

void Relay::LoseAnswer(Link& link) {
    // The client is cut only once the server has begun to answer, so the statement has run to
    // its end whatever the client does next (on a loaded machine a client's KILL could otherwise
    // overtake it); the session is then kept a little longer, as a server notices a lost client late.
    char discard[16384];
    const auto discardFor = [&](std::chrono::milliseconds span, bool untilFirstBytes) {
        const auto until = std::chrono::steady_clock::now() + span;
        while (!stop_ && !link.cut && std::chrono::steady_clock::now() < until) {
            pollfd s{link.server, POLLIN, 0};
            if (::poll(&s, 1, kPollMs) <= 0) continue;
            if (::recv(link.server, discard, sizeof discard, 0) <= 0 || untilFirstBytes) return;
        }
    };
    discardFor(std::chrono::seconds(10), true);
    ::shutdown(link.client, SHUT_RDWR);
    discardFor(std::chrono::milliseconds(500), false);
}

void Relay::Close(Link& link) {
    std::lock_guard lock(mutex_);
    ::close(link.client);
    ::close(link.server);
    link.client = link.server = -1;
}

}  // namespace TestSupport
