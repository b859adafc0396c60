#pragma once
// A MariaDB server of the test's own (scripts/db with its own folder and port), for tests that
// stop, kill, freeze or reconfigure the server. Stopped and removed when the object goes.
#include <sys/types.h>

#include <filesystem>
#include <string>

#include "support/TestDatabase.h"

namespace TestSupport {

class ThrowawayServer {
public:
    ThrowawayServer();
    ~ThrowawayServer();
    ThrowawayServer(const ThrowawayServer&) = delete;
    ThrowawayServer& operator=(const ThrowawayServer&) = delete;

    void Start();
    void Stop();  // a clean shutdown
    void Kill();  // the server dies at once, as in a crash
    // The server process is frozen (SIGSTOP): connections stay open but nothing answers, as
    // when the host hangs. Resume() lets it go on (SIGCONT).
    void Pause();
    void Resume();
    // Connection parameters for the given database (made when missing).
    DbParams Params(const std::string& database);
    // Runs statements as the test account; throws on failure.
    void Exec(const std::string& sql);

    // A port on the loopback that nothing listens on right now.
    static int FreePort();

private:
    std::string Script(const std::string& command) const;
    // The server's process id from its pid file; throws when there is none.
    pid_t Pid() const;

    std::filesystem::path dir_;
    int port_ = 0;
    bool paused_ = false;
};

}  // namespace TestSupport
