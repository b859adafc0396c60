#pragma once
// Where every line of lockbury-server goes: standard output, each line tagged with the server's
// name when one was given, flushed at once so that several servers' lines interleave in order.
#include <string>
#include <string_view>

namespace LockburyServer {

class Printer {
public:
    explicit Printer(const std::string& serverName = "");

    // One line, or several when the text holds line breaks (each gets the tag).
    void Line(std::string_view text);

private:
    std::string tag_;
};

}  // namespace LockburyServer
