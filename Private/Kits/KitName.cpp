#include "Private/Kits/KitName.h"

#include <fmt/format.h>
#include <fmt/ranges.h>

#include <algorithm>
#include <vector>

#include "Private/Commands/ChatWords.h"
#include "Private/Kits/KitFiles.h"
#include "Private/Kits/PortableFileName.h"

namespace Lockbury::Kits {

std::optional<std::string> KitNameArgument(const FString& commandLine) {
    const std::vector<FString> words = Commands::SplitWords(commandLine);
    if (words.size() < 2) return std::nullopt;
    return words[1].ToString();
}

bool IsSafeKitName(const std::string& name) { return IsPortableFileName(name) && Utf16Length(name) <= kMaxKitNameLength; }

std::optional<std::filesystem::path> KitFolderOfCommand(AShooterPlayerController* player, const FString* command,
                                                        const char* usage) {
    auto& api = ArkApi::GetApiUtils();
    const auto name = KitNameArgument(command ? *command : FString());
    if (!name) {
        api.SendServerMessage(player, Colors::Red(), usage);
        return std::nullopt;
    }
    if (!IsSafeKitName(*name)) {
        api.SendServerMessage(player, Colors::Red(), "Invalid kit name");
        return std::nullopt;
    }
    std::vector<std::string> clashing;
    auto folder = KitFolder(*name, clashing);
    if (!folder) {
        api.SendServerMessage(player, Colors::Red(), "Kit name {} matches several kits that differ only in case: {}", *name,
                              fmt::join(clashing, ", "));
    }
    return folder;
}

}  // namespace Lockbury::Kits
