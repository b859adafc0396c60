#include "Private/Commands/ChatWords.h"

namespace Lockbury::Commands {

std::vector<FString> SplitWords(const FString& line) {
    std::vector<FString> words;
    const std::u16string_view text = line.View();
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(u' ', start);
        if (end == std::u16string_view::npos) end = text.size();
        if (end > start) words.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    return words;
}

}  // namespace Lockbury::Commands
