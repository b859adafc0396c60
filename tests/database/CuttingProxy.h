#pragma once
// A TCP relay between the store and the server that can lose a connection in the middle of a
// statement: the statement reaches the server and runs, but its answer never comes back.
#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

namespace StoreTest {

class CuttingProxy {
public:
    explicit CuttingProxy(int serverPort);
    ~CuttingProxy();
    CuttingProxy(const CuttingProxy&) = delete;
    CuttingProxy& operator=(const CuttingProxy&) = delete;

    int Port() const { return port_; }
    // The next bytes a client sends are passed on; then that client's connection is cut.
    void CutAfterNextStatement() { cut_ = true; }

private:
    void Accept();
    void Relay(int client, int server);

    int serverPort_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<bool> cut_{false};
    std::mutex mutex_;
    std::vector<std::thread> relays_;
    std::thread acceptor_;
};

}  // namespace StoreTest
