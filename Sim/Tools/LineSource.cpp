#include "LineSource.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>

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

std::optional<std::string> LineSource::Next() {
    std::string line;
    if (fromFile_) {
        if (!std::getline(file_, line)) return std::nullopt;
    } else if (interactive_) {
#ifdef LOCKBURY_HAVE_READLINE
        char* read = readline(prompt_.c_str());
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
        if (!std::getline(std::cin, line)) {
            std::fputc('\n', stdout);
            return std::nullopt;
        }
#endif
    } else {
        if (!std::getline(std::cin, line)) return std::nullopt;
    }
    ++number_;
    return line;
}

}  // namespace LockburyServer
