// lockbury-bench: how long the vault commands hold the game thread, beside the floor of the same
// statements sent straight through the client library, measured in the same run; the statements
// each command sends, its time over a slower network and against a database that never answers
// (with the p99 of the game thread's wait at 5 ms RTT and with the database black-holed, the
// figures a store off the game thread is to be judged against); what crashSafe adds to a save, a
// load and a world save; the item text form; the damage hook. Prints a table and writes
// results.json next to the program.
//
//   eval "$(scripts/db start)" && build/bench/lockbury-bench [--smoke] [--out FILE]
//
// --smoke runs everything once at the smallest sizes (scripts/test), and writes results-smoke.json.
// --scale runs only the vaults at cluster scale (u_vault filled to 10k, 100k and 1M rows; several
// minutes) and puts its figures into results.json beside those of the last default run; a default
// run keeps the scale figures of the last --scale run in the same way. --scale-rows 10000,100000
// does the same at other sizes.
// --cluster PORT runs only the commands on one server (LOCKBURY_DB_*) against the same commands on
// the node of a Galera cluster at PORT (scripts/bench --cluster starts one), as ratios, and puts
// those figures into results.json beside the others in the same way.
// --only ITEMS BYTES narrows the save and load to one case (for a profiler); put it after --smoke.
// The benchmark makes a database of its own on the server and drops it again.
#include <unistd.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "bench/lockbury/BenchServer.h"
#include "bench/lockbury/CommandBench.h"
#include "bench/lockbury/CrashSafeBench.h"
#include "bench/lockbury/DamageHookBench.h"
#include "bench/lockbury/FloorBench.h"
#include "bench/lockbury/ItemTextBench.h"
#include "bench/lockbury/MoveLogBench.h"
#include "bench/lockbury/NeverAnsweringBench.h"
#include "bench/lockbury/RawDatabase.h"
#include "bench/lockbury/RelayedCommandBench.h"
#include "bench/lockbury/RelayedServer.h"
#include "bench/lockbury/Report.h"
#include "bench/lockbury/ScaleBench.h"
#include "bench/lockbury/StoreThreadBench.h"

namespace {

using namespace Bench;

const std::string kClusterPrefix = "cluster: ";

struct Plan {
    bool smoke = false;
    int dbRuns = 5;  // each autocommitted statement costs a disk flush: few, long runs
    int listRuns = 301;
    std::vector<int> itemCounts{10, 100, 300};
    std::vector<std::size_t> itemSizes{200, 2048, 20480};
    std::vector<int> vaultCounts{1, 10, 100};
    int relayedItems = 300;  // the vault the relayed commands save, list and load
    std::size_t relayedBytes = 2048;
    int gameThreadRuns = 100;  // rounds at 5 ms RTT: the p99 of 100 is the second largest
    // Store-thread figures: the median of this many measurements of their p99. The p99 of a
    // command's worst frame is the tail of the tail, where one preemption of the game thread by
    // the database on a machine of few cores decides it; a cost the plugin has shows in each.
    int storeThreadRounds = 3;
    std::vector<int> crashSafeItems{10, 299};  // a load gives 299 at most: all of them come back
    std::size_t crashSafeBytes = 2048;
    int moveLogItems = 300;  // a load gives 299 of them
    std::size_t moveLogBytes = 2048;
    int moveLogRuns = 9;
    int crashSafeRuns = 9;
    std::vector<VaultCommand> darkCommands{VaultCommand::Save, VaultCommand::Load, VaultCommand::List};
    int darkReconnectTimeout = 3;  // s: the shipped default
    int darkLaterCommands = 20;
    std::vector<std::size_t> hexSizes{2048, 1 << 20};
    int hexRuns = 21;
    std::vector<int> fighters{10, 100, 1000, 10000};
    int hits = 200000, hookRuns = 7;
    bool scaleOnly = false;  // --scale
    unsigned clusterPort = 0;  // --cluster PORT
    ScalePlan scale;

    static Plan Smoke() {
        Plan p;
        p.smoke = true;
        p.scale.rows = {1000};
        p.scale.runs = 1;
        p.dbRuns = 1;
        p.listRuns = 1;
        p.itemCounts = {10};
        p.itemSizes = {200};
        p.vaultCounts = {1};
        p.relayedItems = 10;
        p.relayedBytes = 200;
        p.gameThreadRuns = 1;
        p.storeThreadRounds = 1;
        p.crashSafeItems = {10};
        p.crashSafeBytes = 200;
        p.crashSafeRuns = 1;
        p.moveLogItems = 10;
        p.moveLogBytes = 200;
        p.moveLogRuns = 1;
        p.darkCommands = {VaultCommand::Save};
        p.darkReconnectTimeout = 1;  // the least there is: one second of the smoke run
        p.darkLaterCommands = 5;
        p.hexSizes = {2048};
        p.hexRuns = 1;
        p.fighters = {10};
        p.hits = 1000;
        p.hookRuns = 1;
        return p;
    }
};

std::string Size(std::size_t bytes) {
    if (bytes >= (1u << 20)) return std::to_string(bytes >> 20) + " MB";
    if (bytes >= 1024) return std::to_string(bytes / 1024) + " KB";
    return std::to_string(bytes) + " B";
}

// The database of this run, dropped again however the run ends.
class ScratchDatabase {
public:
    explicit ScratchDatabase(const DbServer& server)
        : server_(server), name_("lockbury_bench_" + std::to_string(getpid())) {
        RawDatabase admin(server_, "");
        admin.Exec("DROP DATABASE IF EXISTS " + name_);
        admin.Exec("CREATE DATABASE " + name_ + " CHARACTER SET utf8mb4");
    }
    ~ScratchDatabase() {
        try {
            RawDatabase(server_, "").Exec("DROP DATABASE IF EXISTS " + name_);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "lockbury-bench: %s\n", e.what());
        }
    }
    const std::string& Name() const { return name_; }

private:
    DbServer server_;
    std::string name_;
};

void Commands(const Plan& plan, Report& report, const DbServer& server, const ScratchDatabase& scratch) {
    BenchServer game(server, scratch.Name());  // loading the plugin makes the table
    RawDatabase db(server, scratch.Name());
    std::printf("(database %s on %s:%u)\n", scratch.Name().c_str(), server.host.c_str(), server.port);

    report.Section("Floor: 300 rows of 2 KB of hex, straight through the client library (ms)");
    if (!plan.smoke) {
        const Floor f = MeasureFloor(db, 300, 1024, plan.dbRuns);
        report.Add("floor 300 x 2 KB hex: 300 single INSERTs", f.singleInserts, "ms");
        report.Add("floor 300 x 2 KB hex: SELECT 299 rows", f.select, "ms");
        report.Add("floor 300 x 2 KB hex: 299 DELETEs by id", f.deletes, "ms");
        report.Add("floor 300 x 2 KB hex: one multi-row INSERT in a transaction", f.batchInsert, "ms");
    }

    for (const std::size_t bytes : plan.itemSizes) {
        for (const int items : plan.itemCounts) {
            const std::string tag = std::to_string(items) + " x " + Size(bytes);
            const int loaded = std::min(items, 299);
            report.Section("Save and load of " + tag + " items (hex rows of " + Size(2 * bytes) + ")");
            const Floor f = MeasureFloor(db, items, bytes, plan.dbRuns);
            const SaveLoad c = MeasureSaveLoad(game, db, items, bytes, plan.dbRuns);
            report.Add("floor " + tag + ": " + std::to_string(items) + " single INSERTs", f.singleInserts, "ms");
            report.Add("floor " + tag + ": one multi-row INSERT in a transaction", f.batchInsert, "ms");
            report.Add("floor " + tag + ": SELECT " + std::to_string(loaded) + " rows + DELETEs", f.select + f.deletes,
                       "ms");
            report.Add("save " + tag, c.save, "ms");
            report.Add("save " + tag + " / floor single INSERTs", c.save / f.singleInserts, "ratio");
            report.Add("save " + tag + " / floor multi-row INSERT", c.save / f.batchInsert, "ratio");
            report.Add("load " + tag, c.load, "ms");
            report.Add("load " + tag + " / floor SELECT + DELETEs", c.load / (f.select + f.deletes), "ratio");
        }
    }

    report.Section("List (ms)");
    for (const int vaults : plan.vaultCounts) {
        const ListTimes times = MeasureList(game, db, vaults, BenchServer::kDecayMinutes, plan.listRuns);
        const double list = times.list, floor = times.floor;
        const std::string tag = "list " + std::to_string(vaults) + (vaults == 1 ? " vault" : " vaults");
        report.Add("floor " + tag + ": the SELECT", floor, "ms");
        report.Add(tag, list, "ms");
        report.Add(tag + " / floor", list / floor, "ratio");
    }
}

// The first characters of each statement, to show what was counted.
void PrintStatements(const char* command, const std::vector<std::string>& statements) {
    std::printf("    %-5s", command);
    for (std::size_t i = 0; i < statements.size(); ++i) std::printf("%s%.40s", i ? " | " : " ", statements[i].c_str());
    std::printf("\n");
}

void Relayed(const Plan& plan, Report& report, const DbServer& server, const ScratchDatabase& scratch) {
    RelayedServer relayed(server, scratch.Name());
    RawDatabase db(server, scratch.Name());
    const std::string tag = std::to_string(plan.relayedItems) + " x " + Size(plan.relayedBytes);

    report.Section("Statements per command, counted by a relay on the plugin's connection (in use already)");
    const auto statements = RecordStatements(relayed, db, plan.relayedItems, plan.relayedBytes);
    report.Add("statements: save " + tag, static_cast<double>(statements.save.size()), "count");
    report.Add("statements: load " + tag, static_cast<double>(statements.load.size()), "count");
    report.Add("statements: list", static_cast<double>(statements.list.size()), "count");
    PrintStatements("save", statements.save);
    PrintStatements("list", statements.list);
    PrintStatements("load", statements.load);

    report.Section("The commands through a relay adding 1 ms to every round trip (ms)");
    const auto times =
        MeasureOverDelay(relayed, db, plan.relayedItems, plan.relayedBytes, std::chrono::microseconds(500), plan.dbRuns);
    report.Add("1 ms RTT: save " + tag, Median(times.save), "ms");
    report.Add("1 ms RTT: load " + tag, Median(times.load), "ms");
    report.Add("1 ms RTT: list", Median(times.list), "ms");

    // The figures a store thread is to be judged against: with storeThread false the store works on
    // the game thread, so the game thread is held until the player sees the outcome.
    report.Section("storeThread false: the game thread through a relay adding 5 ms to every round trip (p99, ms)");
    const auto slow = MeasureOverDelay(relayed, db, plan.relayedItems, plan.relayedBytes, std::chrono::microseconds(2500),
                                       plan.gameThreadRuns);
    report.Add("storeThread false: game-thread p99 save " + tag + " at 5 ms RTT", Percentile(slow.save, 0.99), "ms");
    report.Add("storeThread false: game-thread p99 load " + tag + " at 5 ms RTT", Percentile(slow.load, 0.99), "ms");
    report.Add("storeThread false: game-thread p99 list at 5 ms RTT", Percentile(slow.list, 0.99), "ms");
}

// The same with the store on its own thread: the game thread's share is the command's call and the
// frames that apply its outcome; the player waits for the database as before.
void StoreThread(const Plan& plan, Report& report, const DbServer& server, const ScratchDatabase& scratch) {
    const std::string tag = std::to_string(plan.relayedItems) + " x " + Size(plan.relayedBytes);
    report.Section("store thread: the game thread through a relay adding 5 ms to every round trip (median of " +
                   std::to_string(plan.storeThreadRounds) + " p99s, ms)");
    // Figure name -> its p99 in each round.
    std::vector<std::pair<std::string, std::vector<double>>> figures;
    const auto add = [&](const std::string& name, const std::vector<double>& samples) {
        auto known = std::find_if(figures.begin(), figures.end(), [&](const auto& f) { return f.first == name; });
        if (known == figures.end()) known = figures.insert(figures.end(), {name, {}});
        known->second.push_back(Percentile(samples, 0.99));
    };
    for (int round = 0; round < plan.storeThreadRounds; ++round) {
        const Threaded threaded = MeasureStoreThread(server, scratch.Name(), plan.relayedItems, plan.relayedBytes,
                                                     std::chrono::microseconds(2500), plan.gameThreadRuns);
        add("store thread: game-thread p99 save " + tag + " at 5 ms RTT", threaded.gameThread.save);
        add("store thread: game-thread p99 load " + tag + " at 5 ms RTT", threaded.gameThread.load);
        add("store thread: game-thread p99 list at 5 ms RTT", threaded.gameThread.list);
        add("store thread: command call p99 save " + tag + " at 5 ms RTT", threaded.call.save);
        add("store thread: command call p99 load " + tag + " at 5 ms RTT", threaded.call.load);
        add("store thread: time to outcome p99 save " + tag + " at 5 ms RTT", threaded.outcome.save);
        add("store thread: time to outcome p99 load " + tag + " at 5 ms RTT", threaded.outcome.load);
        add("store thread: time to outcome p99 list at 5 ms RTT", threaded.outcome.list);
    }
    for (const auto& [name, p99s] : figures) report.Add(name, Median(p99s), "ms");
}

void CrashSafe(const Plan& plan, Report& report, const DbServer& server, const ScratchDatabase& scratch) {
    report.Section("crashSafe off and on: a save, a load, and the world save after them (ms; statements)");
    for (const int items : plan.crashSafeItems) {
        const std::string tag = std::to_string(items) + " x " + Size(plan.crashSafeBytes);
        const CrashSafeCost c = MeasureCrashSafe(server, scratch.Name(), items, plan.crashSafeBytes, plan.crashSafeRuns);
        const struct {
            std::string what;
            double off, on;
            std::size_t offCount, onCount;
        } rows[] = {
            {"save", c.off.save, c.on.save, c.off.saveStatements.size(), c.on.saveStatements.size()},
            {"load", c.off.load, c.on.load, c.off.loadStatements.size(), c.on.loadStatements.size()},
            {"world save", c.off.worldSave, c.on.worldSave, c.off.worldSaveStatements.size(),
             c.on.worldSaveStatements.size()},
        };
        for (const auto& row : rows) {
            const std::string name = "crashSafe " + tag + ": " + row.what;
            report.Add(name + ", off", row.off, "ms");
            report.Add(name + ", on", row.on, "ms");
            report.Add(name + ", extra", row.on - row.off, "ms");
            report.Add(name + ", statements off", static_cast<double>(row.offCount), "count");
            report.Add(name + ", statements on", static_cast<double>(row.onCount), "count");
        }
        if (items == plan.crashSafeItems.back()) {
            PrintStatements("save", c.on.saveStatements);
            PrintStatements("load", c.on.loadStatements);
            PrintStatements("world", c.on.worldSaveStatements);
        }
    }
}

void MoveLog(const Plan& plan, Report& report, const DbServer& server, const ScratchDatabase& scratch) {
    report.Section("The move log: what its record adds to a save and a load (ms; statements)");
    const std::string tag = std::to_string(plan.moveLogItems) + " x " + Size(plan.moveLogBytes);
    const MoveLogCost c = MeasureMoveLog(server, scratch.Name(), plan.moveLogItems, plan.moveLogBytes, plan.moveLogRuns);
    for (const auto& [what, move, record, statements] :
         {std::tuple{"save", c.save, c.saveRecord, c.saveStatements.size()},
          std::tuple{"load", c.load, c.loadRecord, c.loadStatements.size()}}) {
        const std::string name = std::string("move log ") + tag + ": " + what;
        report.Add(name, move, "ms");
        report.Add(name + ", its record", record, "ms");
        report.Add(name + ", record / move", record / move, "ratio");
        report.Add(name + ", record statements", static_cast<double>(statements), "count");
    }
    PrintStatements("save record", c.saveStatements);
    PrintStatements("load record", c.loadStatements);
}

double Max(const std::vector<double>& samples) {
    if (samples.empty()) throw std::logic_error("no samples to take the largest of");
    return *std::max_element(samples.begin(), samples.end());
}

void NeverAnswering(const Plan& plan, Report& report, const DbServer& server, const ScratchDatabase& scratch) {
    report.Section("A database that never answers: connection cut, new ones accepted and left silent (ms)");
    report.Add("never-answering database: reconnectTimeout", plan.darkReconnectTimeout, "s");
    const std::string tag = std::to_string(plan.relayedItems) + " x " + Size(plan.relayedBytes);
    std::vector<double> firsts, later;
    for (const VaultCommand command : plan.darkCommands) {
        const Unanswered u = MeasureNeverAnswering(server, scratch.Name(), command, plan.darkReconnectTimeout,
                                                   plan.relayedItems, plan.relayedBytes, plan.darkLaterCommands);
        const std::string name = command == VaultCommand::Save   ? "save " + tag
                                 : command == VaultCommand::Load ? "load " + tag
                                                                 : std::string("list");
        report.Add("never-answering database: first " + name, u.first, "ms");
        report.Add("never-answering database: later " + name + " (median)", Median(u.later), "ms");
        report.Add("never-answering database: later " + name + " (max)", Max(u.later), "ms");
        firsts.push_back(u.first);
        later.insert(later.end(), u.later.begin(), u.later.end());
    }
    report.Add("never-answering database: first command", Max(firsts), "ms");
    report.Add("never-answering database: later commands (median)", Median(later), "ms");
    report.Add("never-answering database: later commands (max)", Max(later), "ms");
    // Every command counts, the first included: it is the one that waits for the reconnect.
    std::vector<double> every = firsts;
    every.insert(every.end(), later.begin(), later.end());
    report.Add("storeThread false: game-thread p99 any command, database black-holed", Percentile(every, 0.99), "ms");
    std::vector<double> p99s, worst;
    for (int round = 0; round < plan.storeThreadRounds; ++round) {
        const std::vector<double> threaded =
            MeasureStoreThreadDark(server, scratch.Name(), plan.darkCommands, plan.darkReconnectTimeout, plan.relayedItems,
                                   plan.relayedBytes, plan.darkLaterCommands);
        p99s.push_back(Percentile(threaded, 0.99));
        worst.push_back(Max(threaded));
    }
    report.Add("store thread: game-thread p99 any command, database black-holed", Median(p99s), "ms");
    report.Add("store thread: game-thread longest command, database black-holed", Max(worst), "ms");
}

void ItemText(const Plan& plan, Report& report) {
    report.Section("Item text form (MB of item bytes per second)");
    for (const std::size_t bytes : plan.hexSizes) {
        const HexSpeed s = MeasureItemText(bytes, plan.hexRuns, plan.smoke ? bytes : 64u << 20);
        report.Add("BytesToHex " + Size(bytes), s.toHex, "MB/s");
        report.Add("HexToBytes " + Size(bytes), s.fromHex, "MB/s");
    }
}

void DamageHook(const Plan& plan, Report& report) {
    report.Section("Damage hook (ns per player-against-player hit)");
    for (const int players : plan.fighters) {
        const HookCost c = MeasureDamageHook(players, plan.hits, plan.hookRuns);
        const std::string tag = std::to_string(players) + " players recorded";
        report.Add("damage event with the hook, " + tag, c.hooked, "ns");
        report.Add("damage event without the hook, " + tag, c.unhooked, "ns");
        report.Add("hook cost, " + tag, c.hooked - c.unhooked, "ns");
        report.Add("hook cost, creature hitting creature, " + tag, c.creatureHooked - c.creatureUnhooked, "ns");
        report.Add("record update alone, " + tag, c.records, "ns");
    }
}

// The targets, judged on this run's figures.
int Targets(const Report& r) {
    struct Target {
        std::string what;
        double value, limit;
        bool atMost;
    };
    const double reconnect = r.Value("never-answering database: reconnectTimeout");
    const double darkLimit = reconnect * 1000 + 500;
    std::vector<Target> targets{
        {"save 300 x 2 KB / floor 300 single INSERTs of 2 KB hex <= 0.25",
         r.Value("save 300 x 2 KB") / r.Value("floor 300 x 2 KB hex: 300 single INSERTs"), 0.25, true},
        {"save 300 x 2 KB / floor of its own rows (4 KB hex) <= 0.25", r.Value("save 300 x 2 KB / floor single INSERTs"),
         0.25, true},
        {"load 300 x 2 KB / (floor SELECT 299 rows + 299 DELETEs by id, 2 KB hex) <= 0.10",
         r.Value("load 300 x 2 KB") /
             (r.Value("floor 300 x 2 KB hex: SELECT 299 rows") + r.Value("floor 300 x 2 KB hex: 299 DELETEs by id")),
         0.10, true},
        {"list 1 vault / floor <= 1.1", r.Value("list 1 vault / floor"), 1.1, true},
        {"list 10 vaults / floor <= 1.1", r.Value("list 10 vaults / floor"), 1.1, true},
        {"list 100 vaults / floor <= 1.1", r.Value("list 100 vaults / floor"), 1.1, true},
        {"BytesToHex 1 MB >= 1000 MB/s", r.Value("BytesToHex 1 MB"), 1000, false},
        {"HexToBytes 1 MB >= 1000 MB/s", r.Value("HexToBytes 1 MB"), 1000, false},
        {"hook cost, 1000 players recorded <= 100 ns", r.Value("hook cost, 1000 players recorded"), 100, true},
        {"never-answering database: first command <= " + std::to_string(static_cast<int>(darkLimit)) +
             " ms (reconnectTimeout " + std::to_string(static_cast<int>(reconnect)) + " s + 0.5 s)",
         r.Value("never-answering database: first command"), darkLimit, true},
        {"move log: record of a save of 300 x 2 KB / the save <= 0.10", r.Value("move log 300 x 2 KB: save, record / move"),
         0.10, true},
        {"move log: record of a load of 300 x 2 KB / the load <= 0.10", r.Value("move log 300 x 2 KB: load, record / move"),
         0.10, true},
        {"never-answering database: later commands (max) <= 1 ms",
         r.Value("never-answering database: later commands (max)"), 1, true},
    };
    for (const char* figure :
         {"store thread: game-thread p99 save 300 x 2 KB at 5 ms RTT",
          "store thread: game-thread p99 load 300 x 2 KB at 5 ms RTT", "store thread: game-thread p99 list at 5 ms RTT",
          "store thread: game-thread p99 any command, database black-holed"})
        targets.push_back({std::string(figure) + " <= 2 ms", r.Value(figure), 2, true});
    targets.push_back({"store thread: game-thread longest command, database black-holed <= 100 ms",
                       r.Value("store thread: game-thread longest command, database black-holed"), 100, true});
    std::printf("\nTargets\n");
    int missed = 0;
    for (const auto& t : targets) {
        const bool met = t.atMost ? t.value <= t.limit : t.value >= t.limit;
        missed += !met;
        std::printf("  %-4s %-84s (%.3f)\n", met ? "met" : "MISS", t.what.c_str(), t.value);
    }
    return missed;
}

void Scale(const Plan& plan, Report& report, const DbServer& server, const ScratchDatabase& scratch) {
    report.Section("Vaults at cluster scale: u_vault filled, 10% of the players due at a one-day decay");
    MeasureScale(plan.scale, report, server, scratch.Name());
}

// The scale targets, between the smallest and the largest table of this run.
void ScaleTargets(const Report& r, const ScalePlan& plan) {
    if (plan.rows.size() < 2) return;
    const std::string small = "scale " + ScaleTag(plan.rows.front()) + " rows: ";
    const std::string large = "scale " + ScaleTag(plan.rows.back()) + " rows: ";
    std::printf("\nTargets (%s rows against %s rows)\n", ScaleTag(plan.rows.back()).c_str(),
                ScaleTag(plan.rows.front()).c_str());
    struct Target {
        std::string what;
        double value, limit;
    };
    const std::vector<Target> targets{
        {"list at " + ScaleTag(plan.rows.back()) + " / at " + ScaleTag(plan.rows.front()) + " <= 1.5",
         r.Value(large + "list (4 vaults, 100 rows)") / r.Value(small + "list (4 vaults, 100 rows)"), 1.5},
        {"load 100 x 1 KB, same ratio <= 1.5", r.Value(large + "load 100 x 1 KB") / r.Value(small + "load 100 x 1 KB"),
         1.5},
        {"save 100 x 1 KB, same ratio <= 1.5", r.Value(large + "save 100 x 1 KB") / r.Value(small + "save 100 x 1 KB"),
         1.5},
        {"decay run with nothing due <= 50 ms", r.Value(large + "decay run, nothing due"), 50},
        {"game-thread wait during the 10% decay run <= 100 ms",
         r.Value(large + "during the 10% decay run: game-thread wait (max)"), 100},
    };
    for (const auto& t : targets)
        std::printf("  %-4s %-84s (%.3f)\n", t.value <= t.limit ? "met" : "MISS", t.what.c_str(), t.value);
}

// The same commands on one server and on a node of the cluster, one after the other: a save and a
// load of the relayed vault and the list of 10 vaults.
void OnCluster(const Plan& plan, Report& report, const DbServer& single, const DbServer& node) {
    report.Section("One MariaDB against a node of a three-node Galera cluster (ms; ratios)");
    struct Times {
        SaveLoad moves;
        double list = 0;
    };
    auto measure = [&](const DbServer& server) {
        ScratchDatabase scratch(server);
        BenchServer game(server, scratch.Name());
        RawDatabase db(server, scratch.Name());
        std::printf("(database %s on %s:%u)\n", scratch.Name().c_str(), server.host.c_str(), server.port);
        Times t;
        t.moves = MeasureSaveLoad(game, db, plan.relayedItems, plan.relayedBytes, plan.dbRuns);
        t.list = MeasureList(game, db, 10, BenchServer::kDecayMinutes, plan.listRuns).list;
        return t;
    };
    const Times one = measure(single), galera = measure(node);
    const std::string tag = std::to_string(plan.relayedItems) + " x " + Size(plan.relayedBytes);
    for (const auto& [what, a, b] : {std::tuple{"save " + tag, one.moves.save, galera.moves.save},
                                     std::tuple{"load " + tag, one.moves.load, galera.moves.load},
                                     std::tuple{std::string("list 10 vaults"), one.list, galera.list}}) {
        report.Add(kClusterPrefix + what + ", one server", a, "ms");
        report.Add(kClusterPrefix + what + ", Galera node", b, "ms");
        report.Add(kClusterPrefix + what + ", Galera node / one server", b / a, "ratio");
    }
}

// The kinds of run whose figures live side by side in one results.json, told apart by prefix.
enum class RunKind { Default, Scale, Cluster };

RunKind KindOf(const std::string& name) {
    if (name.rfind("scale ", 0) == 0) return RunKind::Scale;
    if (name.rfind(kClusterPrefix, 0) == 0) return RunKind::Cluster;
    return RunKind::Default;
}

// Writes this run's figures, keeping from the file already there those of the other kinds of run
// (the scale and cluster figures for a default run, and so on).
void WriteKeepingTheOtherRuns(const Report& report, const std::filesystem::path& file, RunKind kind) {
    std::ifstream in(file);
    const auto before = nlohmann::json::parse(in, nullptr, false);
    in.close();
    const auto& ours = report.Figures();
    auto measuredNow = [&](const std::string& name) {
        return std::any_of(ours.begin(), ours.end(), [&](const Figure& f) { return f.name == name; });
    };
    std::vector<Figure> figures;
    if (before.is_array()) {
        for (const auto& f : before) {
            if (!f.is_object() || !f.contains("name") || !f["name"].is_string()) continue;
            const std::string name = f["name"];
            if (KindOf(name) != kind && !measuredNow(name))
                figures.push_back({name, f.value("value", 0.0), f.value("unit", std::string())});
        }
    }
    figures.insert(kind == RunKind::Default ? figures.begin() : figures.end(), ours.begin(), ours.end());
    nlohmann::json out = nlohmann::json::array();
    for (const auto& f : figures) out.push_back({{"name", f.name}, {"value", f.value}, {"unit", f.unit}});
    std::ofstream stream(file, std::ios::binary | std::ios::trunc);
    stream << out.dump(2) << '\n';
    if (!stream) throw std::runtime_error("cannot write " + file.string());
}

}  // namespace

int main(int argc, char** argv) {
    Plan plan;
    std::filesystem::path out;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--smoke") {
            plan = Plan::Smoke();
        } else if (arg == "--out" && i + 1 < argc) {
            out = argv[++i];
        } else if (arg == "--scale") {
            plan.scaleOnly = true;
        } else if (arg == "--scale-rows" && i + 1 < argc) {  // other sizes, ascending: 10000,100000
            plan.scaleOnly = true;
            plan.scale.rows.clear();
            std::stringstream list(argv[++i]);
            for (std::string size; std::getline(list, size, ',');) plan.scale.rows.push_back(std::stoi(size));
        } else if (arg == "--cluster" && i + 1 < argc) {
            plan.clusterPort = static_cast<unsigned>(std::stoul(argv[++i]));
        } else if (arg == "--only" && i + 2 < argc) {  // one save/load case, e.g. for a profiler
            plan.itemCounts = {std::stoi(argv[++i])};
            plan.itemSizes = {std::stoul(argv[++i])};
        } else {
            std::fprintf(stderr,
                         "usage: lockbury-bench [--smoke] [--scale] [--scale-rows N,N...] [--cluster PORT] [--out FILE] "
                         "[--only ITEMS BYTES]\n");
            return 2;
        }
    }
    if (out.empty()) {
        const auto self = std::filesystem::read_symlink("/proc/self/exe").parent_path();
        out = self / (plan.smoke ? "results-smoke.json" : "results.json");
    }

    Report report;
    try {
        const DbServer server = DbServer::FromEnvironment();
        std::printf("lockbury-bench%s: %u cores; medians\n", plan.smoke ? " --smoke" : "",
                    std::thread::hardware_concurrency());
        report.Add("cores", std::thread::hardware_concurrency(), "count");
        RunKind kind = RunKind::Default;
        if (plan.clusterPort != 0) {
            kind = RunKind::Cluster;
            DbServer node = server;
            node.port = plan.clusterPort;
            OnCluster(plan, report, server, node);
        } else if (plan.scaleOnly) {
            kind = RunKind::Scale;
            ScratchDatabase scratch(server);
            Scale(plan, report, server, scratch);
        } else {
            {
                ScratchDatabase scratch(server);
                Commands(plan, report, server, scratch);
                Relayed(plan, report, server, scratch);
                StoreThread(plan, report, server, scratch);
                CrashSafe(plan, report, server, scratch);
                MoveLog(plan, report, server, scratch);
                NeverAnswering(plan, report, server, scratch);
            }
            ItemText(plan, report);
            DamageHook(plan, report);
            if (plan.smoke) {  // the scale code kept working, on a table of a thousand rows
                ScratchDatabase scratch(server);
                Scale(plan, report, server, scratch);
            }
        }
        WriteKeepingTheOtherRuns(report, out, kind);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "lockbury-bench: %s\n", e.what());
        return 1;
    }
    if (plan.scaleOnly) ScaleTargets(report, plan.scale);
    if (!plan.smoke && !plan.scaleOnly && plan.clusterPort == 0) Targets(report);
    std::printf("\nresults: %s\n", out.c_str());
    return 0;
}
