#pragma once
// The game's world saves: AShooterGameMode.SaveWorld writes the world file (WorldFile.h), a start
// on a folder with a saved world restores it, and a crash can be made to fall inside a save.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "Sim/Server.h"
#include "WorldFile.h"

namespace Sim {

class SiblingStandIns;
class World;

class WorldSaves {
public:
    // Told what happens just before the process ends in a crash (to flush what it printed).
    using CrashHandler = std::function<void(const std::string& what)>;

    WorldSaves(World& world, SiblingStandIns& siblings, std::filesystem::path file);
    ~WorldSaves();
    WorldSaves(const WorldSaves&) = delete;
    WorldSaves& operator=(const WorldSaves&) = delete;

    // The saves of this process's world; throws when there is none.
    static WorldSaves& Current();

    const std::filesystem::path& File() const { return file_; }
    // Puts a saved world into the fresh world and the sibling stand-ins.
    void Restore(const SavedWorld& saved);

    // The game's own SaveWorld. It never throws into the hooks around it: a save that fails leaves
    // the old world file and LastSaveWorldTime as they were, and says why in LastError.
    void Save();
    std::uint64_t Completed() const { return completed_; }  // saves that reached the disk
    std::uint64_t Attempts() const { return attempts_; }  // runs of the game's save
    const std::string& LastError() const { return lastError_; }  // of the last run; empty when it worked

    void SetCrashHandler(CrashHandler handler) { crashHandler_ = std::move(handler); }
    // The next run of the game's save crashes at that point of its write.
    void CrashInNextSave(SaveCrash at) { crashAt_ = at; }
    // The process ends at once, as a killed server: the handler runs, output is flushed, exit 137.
    [[noreturn]] void Crash(const std::string& what);

private:
    std::int64_t NextSaveMicros() const;

    World& world_;
    SiblingStandIns& siblings_;
    std::filesystem::path file_;
    std::optional<SaveCrash> crashAt_;
    CrashHandler crashHandler_;
    std::int64_t lastMicros_ = 0;  // LastSaveWorldTime of the last save, in microseconds
    std::uint64_t completed_ = 0, attempts_ = 0;
    std::string lastError_;
};

}  // namespace Sim
