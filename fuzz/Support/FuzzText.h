#pragma once
// Fuzz bytes as the texts the plugin is handed, and a plain word split to hold its own against.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "Host/FString.h"
#include "Host/Utf.h"

namespace Fuzz {

inline std::string_view AsText(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// A line as the host hands over what a player typed: UTF-8, bad sequences become U+FFFD.
inline FString FromUtf8(std::string_view bytes) { return FString(std::u16string_view(Utf::Utf8ToUtf16(bytes))); }

// Text as the game may hold it: raw UTF-16 units, two bytes each, low byte first. Unpaired
// surrogates and NULs come through as they are; an odd last byte is dropped.
inline FString FromUnits(std::string_view bytes) {
    std::u16string units(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < units.size(); ++i) {
        units[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                         static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
    }
    return FString(std::u16string_view(units));
}

// The words between single spaces, empty ones dropped: the rule the chat commands document,
// written the obvious way.
inline std::vector<std::u16string> SpaceSeparatedWords(std::u16string_view line) {
    std::vector<std::u16string> words(1);
    for (const char16_t c : line) {
        if (c == u' ') {
            if (!words.back().empty()) words.emplace_back();
        } else {
            words.back().push_back(c);
        }
    }
    if (words.back().empty()) words.pop_back();
    return words;
}

}  // namespace Fuzz
