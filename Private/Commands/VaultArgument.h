#pragma once
#include <optional>

#include "Host/ArkApi.h"

namespace Lockbury::Commands {

// The vault name of a save or load line: the second word, sanitised. None when the line has no
// second word, or when the name is longer than the column, where a lenient server would store
// it cut short under a name the player could never load again.
std::optional<FString> VaultNameArgument(const FString* line);

}  // namespace Lockbury::Commands
