#include "support/ThrowawayServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <stdexcept>
#include <thread>

namespace TestSupport {

int ThrowawayServer::FreePort() {
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    socklen_t len = sizeof addr;
    if (s < 0 || bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        if (s >= 0) ::close(s);
        throw std::runtime_error("no free port");
    }
    ::close(s);
    return ntohs(addr.sin_port);
}

ThrowawayServer::ThrowawayServer() {
    static int counter = 0;
    port_ = FreePort();
    dir_ = std::filesystem::temp_directory_path() /
           ("lockbury-throwaway-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
    std::filesystem::remove_all(dir_);
    Start();
}

ThrowawayServer::~ThrowawayServer() {
    try {
        if (paused_) Resume();  // a frozen server would never shut down
        Stop();
        std::filesystem::remove_all(dir_);
        std::filesystem::remove(dir_.string() + ".log");
    } catch (const std::exception&) {
    }
}

std::string ThrowawayServer::Script(const std::string& command) const {
    return "LOCKBURY_DB_DIR='" + dir_.string() + "' LOCKBURY_DB_PORT=" + std::to_string(port_) + " '" +
           LOCKBURY_SOURCE_DIR "/scripts/db' " + command + " >>'" + dir_.string() + ".log' 2>&1";
}

void ThrowawayServer::Start() {
    if (std::system(Script("start").c_str()) != 0)
        throw std::runtime_error("scripts/db start failed; see " + dir_.string() + ".log");
}

void ThrowawayServer::Stop() {
    if (std::system(Script("stop").c_str()) != 0)
        throw std::runtime_error("scripts/db stop failed; see " + dir_.string() + ".log");
}

pid_t ThrowawayServer::Pid() const {
    pid_t pid = 0;
    std::ifstream(dir_ / "mysqld.pid") >> pid;
    if (pid <= 0) throw std::runtime_error("no server running in " + dir_.string());
    return pid;
}

void ThrowawayServer::Kill() {
    const pid_t pid = Pid();
    if (::kill(pid, SIGKILL) != 0) throw std::runtime_error("no server to kill");
    paused_ = false;
    for (int i = 0; i < 200 && ::kill(pid, 0) == 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

void ThrowawayServer::Pause() {
    if (::kill(Pid(), SIGSTOP) != 0) throw std::runtime_error("cannot pause the server");
    paused_ = true;
}

void ThrowawayServer::Resume() {
    if (::kill(Pid(), SIGCONT) != 0) throw std::runtime_error("cannot resume the server");
    paused_ = false;
}

DbParams ThrowawayServer::Params(const std::string& database) {
    Exec("CREATE DATABASE IF NOT EXISTS " + database);
    return {"127.0.0.1", "lockbury", "lockbury", database, port_};
}

void ThrowawayServer::Exec(const std::string& sql) {
    const std::string command =
        "mariadb --no-defaults -h127.0.0.1 -P" + std::to_string(port_) + " -ulockbury -plockbury -e \"" + sql + "\"";
    if (std::system(command.c_str()) != 0) throw std::runtime_error("failed: " + sql);
}

}  // namespace TestSupport
