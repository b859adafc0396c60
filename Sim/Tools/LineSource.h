#pragma once
// Where the session's command lines come from: a script file, or standard input (with a prompt
// and line editing when it is a terminal).
#include <fstream>
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
    // The next line, or nothing at the end.
    std::optional<std::string> Next();
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
};

}  // namespace LockburyServer
