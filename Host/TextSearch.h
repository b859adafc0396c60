#pragma once
// The one case-insensitive containment rule, used by the configured lists, the transmitter
// patterns and the cryopod test: a pattern occurs anywhere in the text, comparing UTF-16 units
// after the C library's wide upper-case mapping. An empty pattern never matches.
#include <cwctype>

#include "FString.h"

inline bool ContainsIgnoreCase(const FString& text, const FString& pattern) {
    const std::u16string_view t = text.View();
    const std::u16string_view p = pattern.View();
    if (p.empty() || t.size() < p.size()) return false;
    auto up = [](char16_t c) { return std::towupper(static_cast<wint_t>(c)); };
    const wint_t first = up(p[0]);
    for (std::size_t i = 0; i + p.size() <= t.size(); ++i) {
        if (up(t[i]) != first) continue;
        std::size_t k = 1;
        while (k < p.size() && up(t[i + k]) == up(p[k])) ++k;
        if (k == p.size()) return true;
    }
    return false;
}
