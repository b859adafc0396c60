#include "LineSource.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <utility>

#ifdef LOCKBURY_HAVE_READLINE
#include <readline/history.h>
#include <readline/readline.h>
#endif

namespace LockburyServer {

std::unique_ptr<LineSource> LineSource::Script(const std::string& path) {
    std::unique_ptr<LineSource> source(new LineSource());
    source->file_.open(path);
    source->fromFile_ = true;
    source->open_ = source->file_.is_open();
    return source;
}

std::unique_ptr<LineSource> LineSource::StandardInput(std::string prompt) {
    std::unique_ptr<LineSource> source(new LineSource());
    source->interactive_ = isatty(STDIN_FILENO) == 1;
    source->prompt_ = std::move(prompt);
    return source;
}

#ifdef LOCKBURY_HAVE_READLINE
namespace {
// readline calls its event hook about every tenth of a second while it waits for a key.
std::function<void()>* readlineIdle = nullptr;
int RunReadlineIdle() {
    if (readlineIdle && *readlineIdle) (*readlineIdle)();
    return 0;
}
}  // namespace
#endif

std::optional<std::string> LineSource::ReadLine(const std::function<void()>& idle) {
    for (;;) {
        if (const std::size_t end = pending_.find('\n'); end != std::string::npos) {
            std::string line = pending_.substr(0, end);
            pending_.erase(0, end + 1);
            return line;
        }
        if (inputEnded_) {
            if (pending_.empty()) return std::nullopt;
            return std::exchange(pending_, std::string());
        }
        pollfd input{STDIN_FILENO, POLLIN, 0};
        const int ready = poll(&input, 1, idle ? kIdleMilliseconds : -1);
        if (ready == 0) {
            idle();
            continue;
        }
        char buffer[65536];
        const ssize_t got = ready < 0 ? -1 : read(STDIN_FILENO, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) {
            inputEnded_ = true;
            continue;
        }
        pending_.append(buffer, static_cast<std::size_t>(got));
    }
}

std::optional<std::string> LineSource::Next(const std::function<void()>& idle) {
    std::string line;
    if (fromFile_) {
        if (!std::getline(file_, line)) return std::nullopt;
    } else if (interactive_) {
#ifdef LOCKBURY_HAVE_READLINE
        std::function<void()> hook = idle;
        readlineIdle = &hook;
        rl_event_hook = idle ? &RunReadlineIdle : nullptr;
        char* read = readline(prompt_.c_str());
        rl_event_hook = nullptr;
        readlineIdle = nullptr;
        if (!read) {
            std::fputc('\n', stdout);
            return std::nullopt;
        }
        line = read;
        std::free(read);
        if (!line.empty()) add_history(line.c_str());
#else
        std::fputs(prompt_.c_str(), stdout);
        std::fflush(stdout);
        std::optional<std::string> read = ReadLine(idle);
        if (!read) {
            std::fputc('\n', stdout);
            return std::nullopt;
        }
        line = std::move(*read);
#endif
    } else {
        std::optional<std::string> read = ReadLine(idle);
        if (!read) return std::nullopt;
        line = std::move(*read);
    }
    ++number_;
    return line;
}

}  // namespace LockburyServer
