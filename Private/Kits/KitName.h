#pragma once
// The kit name argument of makekit and getkit.
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>

#include "Host/ArkApi.h"

namespace Lockbury::Kits {

// The second word of the command line (split at single spaces, empty words dropped), as UTF-8;
// nothing when the line holds fewer than two words.
std::optional<std::string> KitNameArgument(const FString& commandLine);

// The longest kit name, in UTF-16 code units (characters, for most text). 64 units are at most
// 192 bytes of UTF-8, far below the 255 a folder name may have on either system, and they leave
// most of a classic 260-character Windows path to the server's folder and the item file names.
inline constexpr std::size_t kMaxKitNameLength = 64;

// A name that names the same single folder directly inside the kits folder on Windows and on
// Linux: a portable file name (no device name, no < > : " / \ | ? * or control character, no
// trailing dot or blank) of at most kMaxKitNameLength.
bool IsSafeKitName(const std::string& name);

// The kit folder a makekit or getkit line names (see KitFolder). A line without a name gets the
// red usage text, an unsafe name the red "Invalid kit name", a name that several kit folders
// match only ignoring case a red line naming them; none of these gives anything or touches a
// folder.
std::optional<std::filesystem::path> KitFolderOfCommand(AShooterPlayerController* player, const FString* command,
                                                        const char* usage);

}  // namespace Lockbury::Kits
