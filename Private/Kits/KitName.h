#pragma once
// The kit name argument of makekit and getkit.
#include <optional>
#include <string>

#include "Host/FString.h"

namespace Lockbury::Kits {

// The second word of the command line (split at single spaces, empty words dropped), as UTF-8;
// nothing when the line holds fewer than two words.
std::optional<std::string> KitNameArgument(const FString& commandLine);

// A name that names one folder directly inside the kits folder: not empty, not "." or "..",
// and without "/", "\", ":" or NUL.
bool IsSafeKitName(const std::string& name);

}  // namespace Lockbury::Kits
