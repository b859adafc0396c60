#include "Private/Kits/KitName.h"

#include <algorithm>

#include "Private/Kits/KitFiles.h"
#include "Private/Kits/PortableFileName.h"

namespace Lockbury::Kits {

std::optional<std::string> KitNameArgument(const FString& commandLine) {
    const std::u16string_view line = commandLine.View();
    int word = 0;
    std::size_t pos = 0;
    while (pos < line.size()) {
        while (pos < line.size() && line[pos] == u' ') ++pos;
        if (pos == line.size()) break;
        const std::size_t end = std::min(line.find(u' ', pos), line.size());
        if (word == 1) return FString(line.substr(pos, end - pos)).ToString();
        ++word;
        pos = end;
    }
    return std::nullopt;
}

bool IsSafeKitName(const std::string& name) {
    return IsPortableFileName(name) && Utf16Length(name) <= kMaxKitNameLength;
}

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
    return KitFolder(*name);
}

}  // namespace Lockbury::Kits
