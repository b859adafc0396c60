#pragma once
// Who took part in a damage event, and when last. The array keeps the players in the order
// they first took part; the index beside it keeps the damage hook cheap however many there are.
#include <ctime>
#include <memory>
#include <unordered_map>

#include "Host/ArkApi.h"

namespace Lockbury {

struct Damaged {
    uint64 steamId = 0;
    std::time_t lastDamage = 0;
};

class DamageRecords {
public:
    // Updates the player's record in place, or appends a new one.
    void Stamp(uint64 steamId, std::time_t now);
    // The player's record, or null when the player took part in no damage event since load.
    const Damaged* Find(uint64 steamId) const;
    const TArray<std::shared_ptr<Damaged>>& All() const { return records_; }

private:
    TArray<std::shared_ptr<Damaged>> records_;
    std::unordered_map<uint64, Damaged*> index_;
};

// The plugin's records (damagedPlayers), released with the module.
DamageRecords& damagedPlayers();

// Stamps the controller's player with the current wall-clock time; a null controller is ignored.
void RecordDamage(AShooterPlayerController* controller);

}  // namespace Lockbury
