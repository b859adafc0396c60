#pragma once
// The administrators' vault commands. Each takes the whole command line and answers with lines
// of text; the console and RCON adapters (Private/Admin/AdminEntry.cpp) send them where the
// command came from, so both give the same answer.
#include <string>
#include <vector>

#include "Host/ArkApi.h"

namespace Lockbury::Admin {

using Lines = std::vector<std::string>;

// vaults PLAYER: the player's vaults, with their items and the time left before they decay.
Lines Vaults(const FString& line);
// vaultitems PLAYER VAULT: each row of the vault: id, item name, quantity, saved time.
Lines VaultItems(const FString& line);
// vaultlog PLAYER [N]: the player's last N moves (default 20), newest first.
Lines VaultLog(const FString& line);
// vaulttake PLAYER VAULT: loads that vault into the administrator's own inventory.
Lines VaultTake(AShooterPlayerController* admin, const FString& line);

// "2026-12-08 13:00:00 UTC"
std::string UtcTime(std::int64_t seconds);

}  // namespace Lockbury::Admin
