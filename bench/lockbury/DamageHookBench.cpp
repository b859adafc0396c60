#include "bench/lockbury/DamageHookBench.h"

#include <stdexcept>
#include <string>
#include <vector>

#include "Private/Combat/DamageRecords.h"
#include "bench/lockbury/BenchServer.h"
#include "bench/lockbury/Report.h"
#include "bench/lockbury/Timer.h"

namespace Bench {
namespace {

double NsPerHit(Sim::Server& server, const std::vector<Sim::Player*>& players, int calls) {
    const std::size_t n = players.size();
    Timer t;
    for (int i = 0; i < calls; ++i) {
        const auto k = static_cast<std::size_t>(i);
        server.Damage(players[k % n], players[(k * 7 + 1) % n], 1.0f);
    }
    return t.Ns() / calls;
}

double NsPerCreatureHit(Sim::Server& server, int calls) {
    Timer t;
    for (int i = 0; i < calls; ++i) server.Damage(nullptr, nullptr, 1.0f);
    return t.Ns() / calls;
}

// The plugin's records on their own, as the hook updates them for a player already recorded.
double NsPerRecordUpdate(int count, int calls) {
    Lockbury::DamageRecords records;
    for (int i = 0; i < count; ++i) records.Stamp(76561192000000000ULL + static_cast<unsigned>(i), 1);
    Timer t;
    for (int i = 0; i < calls; ++i)
        records.Stamp(76561192000000000ULL + (static_cast<unsigned>(i) * 7919u) % static_cast<unsigned>(count), 2);
    const double ns = t.Ns() / calls;
    if (records.All().Num() != count) throw std::runtime_error("a known player was recorded twice");
    return ns;
}

}  // namespace

HookCost MeasureDamageHook(int count, int calls, int runs) {
    // A port nothing listens on: the store fails to open, which the hook does not care about.
    DbServer nowhere{"127.0.0.1", "nobody", "", 1};
    BenchServer server(nowhere, "none");
    std::vector<Sim::Player*> players;
    for (int i = 0; i < count; ++i)
        players.push_back(&server.Join("fighter" + std::to_string(i), 76561192000000000ULL + i));
    if (server.Hooks().empty()) throw std::runtime_error("the plugin set no damage hook");
    auto recordEveryone = [&] {
        for (Sim::Player* p : players) server.Damage(p, nullptr, 1.0f);  // the victim is recorded
    };

    recordEveryone();
    const int before = server.GameTakeDamageCalls();
    std::vector<double> hooked, unhooked, creatureHooked, creatureUnhooked, records;
    for (int run = 0; run < runs; ++run) {
        hooked.push_back(NsPerHit(server, players, calls));
        creatureHooked.push_back(NsPerCreatureHit(server, calls));
        records.push_back(NsPerRecordUpdate(count, calls));
    }
    if (server.GameTakeDamageCalls() - before != 2 * calls * runs) throw std::runtime_error("the hook lost hits");

    server.UnloadPlugin();
    if (!server.Hooks().empty()) throw std::runtime_error("the damage hook outlived the plugin");
    for (int run = 0; run < runs; ++run) {
        unhooked.push_back(NsPerHit(server, players, calls));
        creatureUnhooked.push_back(NsPerCreatureHit(server, calls));
    }
    return {Median(hooked), Median(unhooked), Median(creatureHooked), Median(creatureUnhooked), Median(records)};
}

}  // namespace Bench
