#pragma once
// UTF-8 as the game's string with every character kept, a NUL too: the game's string holds one
// as any other unit, but no constructor of it keeps one, so NULs are written in afterwards.
#include <string_view>
#include <vector>

#include "Host/ArkApi.h"

namespace Sim {

inline FString GameText(std::string_view utf8) {
    std::wstring text = Utf::Utf8ToWide(utf8);
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

}  // namespace Sim
