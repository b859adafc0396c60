#include "ServerProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <regex>
#include <stdexcept>

#ifndef LOCKBURY_SERVER_PATH
#error "LOCKBURY_SERVER_PATH must name the lockbury-server program"
#endif

namespace ServerTests {

ServerProcess::ServerProcess(const std::vector<std::string>& args) {
    signal(SIGPIPE, SIG_IGN);  // a server that ended early must fail the test, not kill it
    int input[2], output[2];
    if (pipe2(input, O_CLOEXEC) != 0 || pipe2(output, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    std::vector<std::string> all{LOCKBURY_SERVER_PATH};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& arg : all) argv.push_back(arg.data());
    argv.push_back(nullptr);

    pid_ = fork();
    if (pid_ < 0) throw std::runtime_error("fork failed");
    if (pid_ == 0) {
        dup2(input[0], STDIN_FILENO);
        dup2(output[1], STDOUT_FILENO);
        dup2(output[1], STDERR_FILENO);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(input[0]);
    close(output[1]);
    in_ = input[1];
    out_ = output[0];
}

ServerProcess::~ServerProcess() {
    if (in_ >= 0) close(in_);
    if (out_ >= 0) close(out_);
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
}

void ServerProcess::Write(const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        ssize_t n = write(in_, text.data() + done, text.size() - done);
        if (n <= 0) throw std::runtime_error("lockbury-server stopped reading its input");
        done += static_cast<std::size_t>(n);
    }
}

const std::string& ServerProcess::ReadUntil(const std::string& text) {
    char buffer[4096];
    ssize_t n;
    while (output_.find(text) == std::string::npos && (n = read(out_, buffer, sizeof buffer)) > 0)
        output_.append(buffer, static_cast<std::size_t>(n));
    return output_;
}

Finished ServerProcess::Finish() {
    close(in_);
    in_ = -1;
    Finished finished;
    finished.output = std::move(output_);
    char buffer[4096];
    ssize_t n;
    while ((n = read(out_, buffer, sizeof buffer)) > 0) finished.output.append(buffer, static_cast<std::size_t>(n));
    close(out_);
    out_ = -1;
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    finished.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return finished;
}

Finished ServerProcess::Kill() {
    kill(pid_, SIGKILL);
    return Finish();
}

Finished ServerProcess::Run(const std::vector<std::string>& args, const std::string& input) {
    ServerProcess process(args);
    process.Write(input);
    return process.Finish();
}

std::string WithoutLogTimes(const std::string& output) {
    static const std::regex time(R"(\[log\] \d\d/\d\d/\d\d \d\d:\d\d )");
    return std::regex_replace(output, time, "[log] ");
}

std::string Normalised(const std::string& output) {
    static const std::regex number(R"(_C_\d+)");
    return std::regex_replace(WithoutLogTimes(output), number, "_C_N");
}

}  // namespace ServerTests
