#pragma once
// The saved world, <server-dir>/SavedArks/World.json: what the game's world save writes and a
// start on the folder reads back. Players' characters by steam id with their inventories (every
// field of each item, payload included), placed actors, the sibling plugins' permissions and
// points, the game time and LastSaveWorldTime.
//
// Item ids are kept exactly, but the id generator's state is not saved: continuing it after a
// crash would hand out again the ids given between the last save and the crash, and those items
// may sit in a vault by then. A restored world starts a fresh random sequence and marks every
// restored id as used instead.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "Sim/Server.h"

namespace Sim {

struct SavedCharacter {
    std::uint64_t steamId = 0;
    std::string name;  // the player's name when the world was saved
    FVector location;
    bool dead = false;
    std::vector<ItemRecord> items;  // in inventory order
};

struct SavedActor {
    std::string className;  // a structure class of the catalog, or a non-targetable actor's own class
    bool targetable = true;
    FVector location;
    std::string descriptiveName;  // targetable actors only
};

struct SavedWorld {
    double lastSaveWorldTime = 0;  // seconds since the epoch, UTC
    double gameTime = 0;
    std::vector<SavedCharacter> characters;  // ascending steam ids, each once
    std::vector<SavedActor> actors;  // in placement order
    std::map<std::uint64_t, std::set<std::string>> permissions;
    std::map<std::uint64_t, int> points;
};

// A world file that cannot be read back; the text names the file and what is wrong in it.
class WorldFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

std::filesystem::path WorldFilePath(const std::filesystem::path& serverDir);

// Null when the file does not exist. Throws WorldFileError for anything that is not a whole,
// consistent world: bad JSON, a missing or mistyped field, an unknown class, an item id held
// twice, a steam id given twice.
std::optional<SavedWorld> ReadWorldFile(const std::filesystem::path& file);

// Where a world file write stands when `reached` is told.
enum class WriteStage {
    Written,  // the temporary file beside it is complete and on disk; the old world is still in place
    Renamed,  // the new world has replaced the old one
};

// Atomic: the text goes to a temporary file in the same folder, is flushed to disk, and is
// renamed over the old file, so a crash at any instant leaves either the old world or the new.
// Throws std::runtime_error (naming the file) when it cannot be written; the old file stays.
void WriteWorldFile(const std::filesystem::path& file, const SavedWorld& world,
                    const std::function<void(WriteStage)>& reached = {});

// The JSON text of a world, and back (errors name `source`).
std::string WorldText(const SavedWorld& world);
SavedWorld ParseWorldText(const std::string& text, const std::string& source);

}  // namespace Sim
