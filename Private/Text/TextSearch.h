#pragma once
// The one case-insensitive containment rule, used by the configured lists, the transmitter
// patterns and the cryopod test: a pattern occurs anywhere in the text, comparing wide units
// after the C library's wide upper-case mapping. An empty pattern never matches.
#include <cwctype>
#include <string_view>

#include "Private/Text/Utf8.h"

namespace Lockbury {

inline bool ContainsIgnoreCase(const FString& text, const FString& pattern) {
    const std::wstring_view t = Text::Units(text);
    const std::wstring_view p = Text::Units(pattern);
    if (p.empty() || t.size() < p.size()) return false;
    auto up = [](wchar_t c) { return std::towupper(static_cast<wint_t>(c)); };
    const wint_t first = up(p[0]);
    for (std::size_t i = 0; i + p.size() <= t.size(); ++i) {
        if (up(t[i]) != first) continue;
        std::size_t k = 1;
        while (k < p.size() && up(t[i + k]) == up(p[k])) ++k;
        if (k == p.size()) return true;
    }
    return false;
}

}  // namespace Lockbury
