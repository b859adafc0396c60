#pragma once
// Splitting a command line of lockbury-server into words, and reading numbers from words.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace LockburyServer {

class Words {
public:
    explicit Words(std::string_view line);

    std::size_t Count() const { return words_.size(); }
    const std::string& operator[](std::size_t i) const { return words_[i]; }
    // The line as typed after word `i`, less the one separating blank: chat and console text keep
    // their own spacing, so a doubled or trailing space reaches the plugin as a player typed it.
    std::string RestFrom(std::size_t i) const;

    static std::optional<std::int64_t> Integer(std::string_view text);
    static std::optional<std::uint64_t> Unsigned(std::string_view text);
    static std::optional<double> Number(std::string_view text);

private:
    std::string line_;
    std::vector<std::string> words_;
    std::vector<std::size_t> ends_;  // offset just past each word
};

}  // namespace LockburyServer
