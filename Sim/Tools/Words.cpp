#include "Words.h"

#include <charconv>

namespace LockburyServer {

namespace {
bool IsBlank(char c) { return c == ' ' || c == '\t'; }
}  // namespace

Words::Words(std::string_view line) : line_(line) {
    std::size_t i = 0;
    while (i < line_.size()) {
        while (i < line_.size() && IsBlank(line_[i])) ++i;
        if (i == line_.size()) break;
        std::size_t start = i;
        while (i < line_.size() && !IsBlank(line_[i])) ++i;
        words_.emplace_back(line_.substr(start, i - start));
        ends_.push_back(i);
    }
}

std::string Words::RestFrom(std::size_t i) const {
    if (i == 0) return line_;
    if (i > ends_.size()) return {};
    std::size_t start = ends_[i - 1];
    if (start < line_.size()) ++start;  // the one blank after the word
    return line_.substr(start);
}

std::optional<std::int64_t> Words::Integer(std::string_view text) {
    // One sign at most: "+-5" is not a number.
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text.front() == '-') return std::nullopt;
    }
    std::int64_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::optional<std::uint64_t> Words::Unsigned(std::string_view text) {
    std::uint64_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::optional<double> Words::Number(std::string_view text) {
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text.front() == '-') return std::nullopt;
    }
    double value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

}  // namespace LockburyServer
