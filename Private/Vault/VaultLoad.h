#pragma once
// A load of one vault into one inventory, in one transaction: the rows are claimed, their items
// given, and the rows given deleted at one commit. When the commit does not happen the items
// given leave the inventory again. The player's load command and an administrator's take use it.
// With a store thread the claim and the commit run there and the giving on the game thread, which
// the store thread waits for while it holds the claim.
#include <functional>

#include "Database/IDatabase.h"
#include "Host/ArkApi.h"

namespace Lockbury {

struct VaultLoad {
    std::uint64_t owner = 0;  // whose vault
    FString vault;
    int places = 0;  // at most this many rows
    MoveKind kind = MoveKind::Load;
    std::uint64_t by = 0;  // the administrator of a take
    std::uint64_t receiver = 0;  // whose inventory: found again by this steam id when rows are claimed
    // Runs once rows are claimed, before anything is given; false ends the load, changing nothing.
    std::function<bool(AShooterPlayerController* receiver)> beforeGiving;
};

struct VaultLoadResult {
    enum class Status { StoreUnavailable, VaultNotFound, Refused, Loaded };
    Status status = Status::StoreUnavailable;
    int given = 0;  // rows given, wholly or in part
    bool stopped = false;  // a damaged row stopped the load there; what came before it was settled
};

class StoreWorker;
// The load's end, on the game thread: the receiver is null when no longer on the server.
using VaultLoadDone = std::function<void(const VaultLoadResult& result, AShooterPlayerController* receiver)>;

// Hands the load to the worker; the receiver's move is in flight until `done` ran.
void LoadIntoInventory(StoreWorker& worker, VaultLoad load, VaultLoadDone done);

}  // namespace Lockbury
