#include "Private/Commands/VaultArgument.h"

#include "Private/Commands/ChatWords.h"
#include "Private/Vault/VaultName.h"

namespace Lockbury::Commands {

std::optional<FString> VaultNameArgument(const FString* line) {
    if (!line) return std::nullopt;
    const std::vector<FString> words = SplitWords(*line);
    if (words.size() < 2) return std::nullopt;
    FString name = SanitizeVaultName(words[1]);
    if (name.Len() > kMaxVaultNameLength) return std::nullopt;
    return name;
}

}  // namespace Lockbury::Commands
