// A line typed into lockbury-server (or read from its script): the split into words and the
// numbers read from them.
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Sim/Tools/Words.h"
#include "Support/FuzzText.h"
#include "Support/Invariant.h"

namespace {

using LockburyServer::Words;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::vector<std::string> PlainSplit(std::string_view line) {
    std::vector<std::string> words(1);
    for (const char c : line) {
        if (!IsBlank(c))
            words.back().push_back(c);
        else if (!words.back().empty())
            words.emplace_back();
    }
    if (words.back().empty()) words.pop_back();
    return words;
}

void CheckSplit(const std::string& line) {
    const Words words(line);
    const std::vector<std::string> expected = PlainSplit(line);
    FUZZ_REQUIRE(words.Count() == expected.size());
    for (std::size_t i = 0; i < words.Count(); ++i) FUZZ_REQUIRE(words[i] == expected[i]);

    FUZZ_REQUIRE(words.RestFrom(0) == line);
    for (std::size_t i = 1; i <= words.Count() + 1; ++i) {
        // The rest keeps the typed text: a tail of the line that splits into the words after i.
        const std::string rest = words.RestFrom(i);
        FUZZ_REQUIRE(std::string_view(line).ends_with(rest));
        const Words after(rest);
        const std::size_t left = i <= words.Count() ? words.Count() - i : 0;
        FUZZ_REQUIRE_WITH(after.Count() == left,
                          "RestFrom(" + std::to_string(i) + ") of \"" + line + "\" is \"" + rest + "\"");
        for (std::size_t k = 0; k < left; ++k) FUZZ_REQUIRE(after[k] == words[i + k]);
    }
}

void CheckNumbers(std::string_view text) {
    const std::optional<std::int64_t> integer = Words::Integer(text);
    const std::optional<std::uint64_t> whole = Words::Unsigned(text);
    const std::optional<double> number = Words::Number(text);

    if (integer) {
        FUZZ_REQUIRE(Words::Integer(std::to_string(*integer)) == integer);
        // Every integer is a number, rounded the way a conversion rounds it.
        FUZZ_REQUIRE_WITH(number && *number == static_cast<double>(*integer), "\"" + std::string(text) + "\"");
    }
    if (whole) {
        FUZZ_REQUIRE(Words::Unsigned(std::to_string(*whole)) == whole);
        FUZZ_REQUIRE(number && *number == static_cast<double>(*whole));
        const bool fits = *whole <= static_cast<std::uint64_t>(INT64_MAX);
        FUZZ_REQUIRE(integer.has_value() == fits);
        if (fits) FUZZ_REQUIRE(static_cast<std::uint64_t>(*integer) == *whole);
    }
    if (number && std::isfinite(*number)) {
        char shortest[64];
        const auto written = std::to_chars(shortest, shortest + sizeof shortest, *number);
        FUZZ_REQUIRE(written.ec == std::errc());
        const std::optional<double> again = Words::Number(std::string_view(shortest, written.ptr - shortest));
        FUZZ_REQUIRE(again && std::memcmp(&*again, &*number, sizeof(double)) == 0);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string line(Fuzz::AsText(data, size));
    CheckSplit(line);
    CheckNumbers(line);
    for (const std::string& word : PlainSplit(line)) CheckNumbers(word);
    return 0;
}
