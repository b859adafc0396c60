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

// The units of a game string, NULs included.
inline std::wstring_view Units(const FString& text) { return {*text, static_cast<std::size_t>(text.Len())}; }

// Wide text as the game's string, every unit kept: no constructor of the game's string keeps a
// NUL, so those are written in afterwards.
inline FString FromWide(std::wstring text) {
    std::vector<int> nuls;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (text[i] == L'\0') {
            nuls.push_back(static_cast<int>(i));
            text[i] = L' ';
        }
    FString out(text);
    for (const int at : nuls) out[at] = L'\0';
    return out;
}

// A line as the host hands over what a player typed: UTF-8, bad sequences become U+FFFD.
inline FString FromUtf8(std::string_view bytes) { return FromWide(Utf::Utf8ToWide(bytes)); }

// Text as the game may hold it: raw UTF-16 units, two bytes each, low byte first, one TCHAR each.
// Unpaired surrogates and NULs come through as they are; an odd last byte is dropped.
inline FString FromUnits(std::string_view bytes) {
    std::wstring units(bytes.size() / 2, L'\0');
    for (std::size_t i = 0; i < units.size(); ++i) {
        units[i] = static_cast<wchar_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                        static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
    }
    return FromWide(std::move(units));
}

// The words between single spaces, empty ones dropped, a NUL inside a word kept as U+0001 (the
// game's string would end the word there): the rule the chat commands document, written the
// obvious way.
inline std::vector<std::wstring> SpaceSeparatedWords(std::wstring_view line) {
    std::vector<std::wstring> words(1);
    for (const wchar_t c : line) {
        if (c == L' ') {
            if (!words.back().empty()) words.emplace_back();
        } else {
            words.back().push_back(c == L'\0' ? L'\x1' : c);
        }
    }
    if (words.back().empty()) words.pop_back();
    return words;
}

}  // namespace Fuzz
