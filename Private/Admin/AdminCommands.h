#pragma once
// The administrators' vault commands. Each takes the whole command line and answers with lines
// of text; the console and RCON adapters (Private/Admin/AdminEntry.cpp) send them where the
// command came from, so both give the same answer. With a store thread a console command's
// answer comes when the store answered; an RCON command waits for it on the game thread, at most
// queryTimeout, as the framework never says whether the RCON connection is still open later.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "Host/ArkApi.h"

namespace Lockbury::Admin {

using Lines = std::vector<std::string>;

// Where a command's answer goes, on the game thread, exactly once.
struct Reply {
    std::uint64_t admin = 0;  // the administrator on the console; 0 over RCON, where the read waits
    std::function<void(const Lines&)> send;
};

// vaults PLAYER: the player's vaults, with their items and the time left before they decay.
void Vaults(const FString& line, const Reply& reply);
// vaultitems PLAYER VAULT: each row of the vault: id, item name, quantity, saved time.
void VaultItems(const FString& line, const Reply& reply);
// vaultlog PLAYER [N]: the player's last N moves (default 20), newest first.
void VaultLog(const FString& line, const Reply& reply);
// vaulttake PLAYER VAULT: loads that vault into the administrator's own inventory.
void VaultTake(AShooterPlayerController* admin, const FString& line, const Reply& reply);

// "2026-12-08 13:00:00 UTC"
std::string UtcTime(std::int64_t seconds);

}  // namespace Lockbury::Admin
