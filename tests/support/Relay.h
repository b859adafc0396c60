#pragma once
// A TCP relay between a MySQL client and a server on the loopback that reads the client's
// commands, so that tests and benchmarks can count statements and make the network fail at an
// exact statement: an answer lost, a connection dead before a statement, a stalled server, a
// server that never answers, a slow network.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace TestSupport {

class Relay {
public:
    // Listens on an ephemeral loopback port and relays every client to 127.0.0.1:serverPort.
    explicit Relay(int serverPort);
    // Stops every relay thread and closes every socket.
    ~Relay();
    Relay(const Relay&) = delete;
    Relay& operator=(const Relay&) = delete;

    int Port() const { return port_; }

    // The text (at most its first 200 characters) of every COM_QUERY passed on to the server,
    // from all connections, in order. A statement a fault kept from the server is not in it.
    std::vector<std::string> Statements() const;
    int StatementCount() const;
    void ClearStatements();

    // One-shot faults, each for the next statement whose text starts with the prefix (exactly,
    // case and all; an empty prefix matches any statement). Several may be armed; the first one
    // armed that matches is taken.
    //
    // The statement reaches the server and runs, but the client's connection is cut before any
    // answer comes back: the relay waits (up to 10 s) for the server to begin its answer, cuts
    // the client, reads and discards the server side for 500 ms more, then closes it.
    void CutAnswerOf(std::string prefix);
    // The statement never reaches the server; both sides of its connection are closed at once.
    void DropBefore(std::string prefix);
    // The statement reaches the server, then nothing more is relayed either way on that
    // connection (bytes stay queued) until Release().
    void HoldAt(std::string prefix);
    // Lets every connection held so far go on.
    void Release();
    // Whether an armed fault has not happened yet.
    bool Armed() const;

    // While on, new clients are accepted but never connected to the server nor answered; they
    // are closed when it is turned off or the relay ends.
    void SetBlackHole(bool on);
    // Closes both sides of every connection being relayed now.
    void CutAll();
    // New clients go to 127.0.0.1:serverPort from now on, as a proxy fails over to another
    // node; connections relayed now stay where they are.
    void Retarget(int serverPort) { serverPort_ = serverPort; }
    // Every chunk passed on, either way, waits this long first (one way; twice per round trip).
    void SetDelay(std::chrono::microseconds oneWay);

private:
    enum class Fault { None, CutAnswer, DropBefore, Hold };
    struct Trap {
        Fault fault;
        std::string prefix;
    };
    struct Link;
    enum class Outcome { Open, Held, Closed };

    void Arm(Fault fault, std::string prefix);
    void Accept();
    void Pump(Link& link);
    // Passes on every whole packet of the pending client bytes, applying a fault at its statement.
    Outcome PassOn(Link& link, std::string& pending);
    // Takes the first armed fault matching this statement, and records the statement unless the
    // fault keeps it from the server.
    Fault Take(std::string_view text, Link& link);
    // Waits the set delay, then sends all the bytes.
    bool Send(int fd, std::string_view bytes) const;
    void LoseAnswer(Link& link);
    void Close(Link& link);
    void CloseBlackHoled();  // with the mutex held

    std::atomic<int> serverPort_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<bool> blackHole_{false};
    std::atomic<std::int64_t> delayMicros_{0};
    std::atomic<std::uint64_t> releases_{0};

    mutable std::mutex mutex_;  // guards everything below, and the sockets of the links
    std::vector<std::string> statements_;
    std::vector<Trap> traps_;
    std::list<std::unique_ptr<Link>> links_;
    std::vector<int> blackHoled_;
    std::thread acceptor_;
};

}  // namespace TestSupport
