#include "Private/Kits/KitName.h"

#include <algorithm>
#include <vector>

#include "Private/Commands/ChatWords.h"
#include "Private/Kits/KitFiles.h"
#include "Private/Kits/PortableFileName.h"
#include "Private/Plugin/PlayerOutput.h"
#include "Private/Text/Format.h"

namespace Lockbury::Kits {

std::optional<std::string> KitNameArgument(const FString& commandLine) {
    const std::vector<FString> words = Commands::SplitWords(commandLine);
    if (words.size() < 2) return std::nullopt;
    return words[1].ToString();
}

bool IsSafeKitName(const std::string& name) { return IsPortableFileName(name) && Utf16Length(name) <= kMaxKitNameLength; }

std::optional<std::filesystem::path> KitFolderOfCommand(AShooterPlayerController* player, const FString* command,
                                                        const char* usage) {
    const auto name = KitNameArgument(command ? *command : FString());
    if (!name) {
        SendServerLine(player, RedText(), usage);
        return std::nullopt;
    }
    if (!IsSafeKitName(*name)) {
        SendServerLine(player, RedText(), L"Invalid kit name");
        return std::nullopt;
    }
    std::vector<std::string> clashing;
    auto folder = KitFolder(*name, clashing);
    if (!folder) {
        SendServerLine(player, RedText(),
                       FormatText("Kit name {} matches several kits that differ only in case: {}", *name,
                                  Formatting::Join(clashing, ", ")));
    }
    return folder;
}

}  // namespace Lockbury::Kits
