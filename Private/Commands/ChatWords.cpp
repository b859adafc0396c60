#include "Private/Commands/ChatWords.h"

#include "Private/Text/Utf8.h"

namespace Lockbury::Commands {

std::vector<FString> SplitWords(const FString& line) {
    std::vector<FString> words;
    const std::wstring_view text = Text::Units(line);
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(L' ', start);
        if (end == std::wstring_view::npos) end = text.size();
        if (end > start) words.emplace_back(std::wstring(text.substr(start, end - start)));
        start = end + 1;
    }
    return words;
}

}  // namespace Lockbury::Commands
