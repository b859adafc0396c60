#include "Printer.h"

#include <cstdio>

namespace LockburyServer {

Printer::Printer(const std::string& serverName) : tag_(serverName.empty() ? "" : "[" + serverName + "] ") {}

void Printer::Line(std::string_view text) {
    std::string out;
    std::size_t start = 0;
    while (true) {
        std::size_t end = text.find('\n', start);
        out += tag_;
        out.append(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        out.push_back('\n');
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fflush(stdout);
}

}  // namespace LockburyServer
