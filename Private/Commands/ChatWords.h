#pragma once
#include <vector>

#include "Host/ArkApi.h"

namespace Lockbury::Commands {

// The words of a chat line split at single spaces, empty words dropped; the first is the
// command, the second its argument.
std::vector<FString> SplitWords(const FString& line);

}  // namespace Lockbury::Commands
