#include "Private/Commands/ChatWords.h"

#include <algorithm>

#include "Private/Text/Utf8.h"

namespace Lockbury::Commands {

std::vector<FString> SplitWords(const FString& line) {
    std::vector<FString> words;
    const std::wstring_view text = Text::Units(line);
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(L' ', start);
        if (end == std::wstring_view::npos) end = text.size();
        if (end > start) {
            std::wstring word(text.substr(start, end - start));
            // The game's string would end the word at a NUL a player typed; kept as a control
            // character instead, which no vault, kit or player name accepts as it stands.
            std::replace(word.begin(), word.end(), L'\0', L'\x1');
            words.emplace_back(word);
        }
        start = end + 1;
    }
    return words;
}

}  // namespace Lockbury::Commands
