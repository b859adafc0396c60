#include "WorldSave.h"

#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <utility>

#include "Sim/Siblings/SiblingStandIns.h"
#include "World.h"

namespace Sim {
namespace {

WorldSaves* current = nullptr;

// A killed process's exit status (128 + SIGKILL), as the real server's supervisor sees a crash.
constexpr int kCrashStatus = 137;

}  // namespace

WorldSaves::WorldSaves(World& world, SiblingStandIns& siblings, std::filesystem::path file)
    : world_(world), siblings_(siblings), file_(std::move(file)) {
    if (current) throw std::logic_error("the world saves of a Sim::Server exist already");
    current = this;
}

WorldSaves::~WorldSaves() {
    if (current == this) current = nullptr;
}

WorldSaves& WorldSaves::Current() {
    if (!current) throw std::logic_error("the simulated game has no world saves (no Sim::Server exists)");
    return *current;
}

void WorldSaves::Restore(const SavedWorld& saved) {
    world_.Restore(saved);
    for (const auto& [steamId, granted] : saved.permissions)
        for (const std::string& permission : granted) siblings_.Grant(steamId, permission);
    for (const auto& [steamId, points] : saved.points) siblings_.SetPoints(steamId, points);
    lastMicros_ = std::llround(saved.lastSaveWorldTime * 1e6);
}

std::int64_t WorldSaves::NextSaveMicros() const {
    // The real clock, not the plugin's shiftable one; each save a later value than the last, so
    // that two saves are never taken for one even when the clock stands or steps back.
    const auto now =
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::system_clock::now().time_since_epoch()).count();
    return now > lastMicros_ ? now : lastMicros_ + 1;
}

void WorldSaves::Save() {
    ++attempts_;
    try {
        SavedWorld saved = world_.Snapshot();
        for (const auto& [steamId, granted] : siblings_.AllPermissions())
            if (!granted.empty()) saved.permissions[steamId] = granted;
        saved.points = siblings_.AllPoints();
        const std::int64_t micros = NextSaveMicros();
        saved.lastSaveWorldTime = static_cast<double>(micros) / 1e6;
        const std::optional<SaveCrash> crashAt = std::exchange(crashAt_, std::nullopt);
        WriteWorldFile(file_, saved, [&](WriteStage stage) {
            if (crashAt == SaveCrash::BeforeRename && stage == WriteStage::Written)
                Crash("inside the world save, before the new world file replaced the old one");
            if (crashAt == SaveCrash::AfterRename && stage == WriteStage::Renamed)
                Crash("inside the world save, right after the new world file replaced the old one");
        });
        lastMicros_ = micros;
        world_.GameMode().lastSaveWorldTime = TicksFromUnixMicros(micros);
        ++completed_;
        lastError_.clear();
    } catch (const std::exception& e) {
        lastError_ = e.what();
    }
}

void WorldSaves::Crash(const std::string& what) {
    if (crashHandler_) {
        try {
            crashHandler_(what);
        } catch (...) {
            // The process ends either way.
        }
    }
    std::fflush(nullptr);
    ::_exit(kCrashStatus);
}

}  // namespace Sim
