#pragma once
// The kit name argument of makekit and getkit.
#include <filesystem>
#include <optional>
#include <string>

#include "Host/ArkApi.h"

namespace Lockbury::Kits {

// The second word of the command line (split at single spaces, empty words dropped), as UTF-8;
// nothing when the line holds fewer than two words.
std::optional<std::string> KitNameArgument(const FString& commandLine);

// A name that names one folder directly inside the kits folder: not empty, not "." or "..",
// and without "/", "\", ":" or NUL.
bool IsSafeKitName(const std::string& name);

// The kit folder a makekit or getkit line names. A line without a name gets the red usage
// text, an unsafe name the red "Invalid kit name"; both give nothing and touch no folder.
std::optional<std::filesystem::path> KitFolderOfCommand(AShooterPlayerController* player, const FString* command,
                                                        const char* usage);

}  // namespace Lockbury::Kits
