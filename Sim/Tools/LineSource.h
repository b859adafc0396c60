#pragma once
// Where the session's command lines come from: a script file, or standard input (with a prompt
// and line editing when it is a terminal).
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace LockburyServer {

class LineSource {
public:
    // Reads the script at path; Open() tells whether it could be opened.
    static std::unique_ptr<LineSource> Script(const std::string& path);
    static std::unique_ptr<LineSource> StandardInput(std::string prompt);

    bool Open() const { return open_; }
    bool Interactive() const { return interactive_; }
    // The next line, or nothing at the end. While it waits for standard input, idle runs once
    // every kIdleMilliseconds (the game loop's frames between lines).
    std::optional<std::string> Next(const std::function<void()>& idle = {});
    static constexpr int kIdleMilliseconds = 33;
    // Number of the line Next() gave last, from 1.
    std::size_t LineNumber() const { return number_; }

private:
    LineSource() = default;

    std::ifstream file_;
    bool fromFile_ = false;
    bool open_ = true;
    bool interactive_ = false;
    std::string prompt_;
    std::size_t number_ = 0;
    std::string pending_;  // read from standard input, not yet a whole line
    bool inputEnded_ = false;

    // A line of standard input read without its buffering, so that waiting can time out.
    std::optional<std::string> ReadLine(const std::function<void()>& idle);
};

}  // namespace LockburyServer
