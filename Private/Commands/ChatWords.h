#pragma once
#include <vector>

#include "Host/ArkApi.h"

namespace Lockbury::Commands {

// The words of a chat line split at single spaces, empty words dropped; the first is the
// command, the second its argument. A NUL inside a word becomes U+0001.
std::vector<FString> SplitWords(const FString& line);

}  // namespace Lockbury::Commands
