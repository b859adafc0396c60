// Median time of each vault store operation against the private server.
//   eval "$(scripts/db start)" && build/bench/store/bench_store [runs | --smoke]
// Uses (and drops again) a database of its own, lockbury_bench.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "Database/Mysql/Connection.h"
#include "Database/MysqlDB.h"
#include "Private/Config/Config.h"
#include "Private/Plugin/Log.h"

namespace {

std::string Env(const char* name, const char* fallback) {
    const char* v = std::getenv(name);
    return v && *v ? v : fallback;
}

struct Server {
    std::string host = Env("LOCKBURY_DB_HOST", "127.0.0.1");
    std::string user = Env("LOCKBURY_DB_USER", "lockbury");
    std::string password = Env("LOCKBURY_DB_PASS", "lockbury");
    int port = std::stoi(Env("LOCKBURY_DB_PORT", "33306"));
};

// One statement on a connection of its own, with no database chosen (to make or drop one).
bool Exec(const Server& s, const std::string& sql) {
    ledra::mysql::connection_options options;
    options.host = s.host;
    options.user = s.user;
    options.password = s.password;
    options.port = static_cast<std::uint32_t>(s.port);
    ledra::mysql::connection db;
    const bool ok = db.open(options) && db.query(sql).succeeded();
    if (!ok) std::fprintf(stderr, "bench_store: %s: %s\n", sql.c_str(), db.last_error_text().c_str());
    return ok;
}

// Runs the step `runs` times and prints the median and the 90th percentile.
void Measure(const char* name, int runs, const std::function<void(int)>& step) {
    if (runs <= 0) {
        std::printf("%-50s no runs\n", name);
        return;
    }
    std::vector<double> micros;
    micros.reserve(static_cast<std::size_t>(runs));
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        step(i);
        micros.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(micros.begin(), micros.end());
    std::printf("%-50s runs %4d  median %8.1f us  p90 %8.1f us\n", name, runs, micros[micros.size() / 2],
                micros[micros.size() * 9 / 10]);
}

}  // namespace

int main(int argc, char** argv) {
    int runs = 300;
    if (argc > 1) runs = std::string(argv[1]) == "--smoke" ? 3 : std::max(1, std::atoi(argv[1]));
    const Server server;
    const std::string database = "lockbury_bench";
    if (!Exec(server, "DROP DATABASE IF EXISTS " + database) ||
        !Exec(server, "CREATE DATABASE " + database + " CHARACTER SET utf8mb4")) {
        std::fprintf(stderr, "bench_store: start the private server first: eval \"$(scripts/db start)\"\n");
        return 1;
    }
    Lockbury::Config() = {{"decay", 60 * 24 * 7}};

    int failures = 0;
    {
        StoreSettings settings;
        settings.decayMinutes = [] { return Lockbury::ConfigInt("decay"); };
        settings.log = Lockbury::GetLog();
        MySql store(server.host, server.user, server.password, database, server.port, settings);
        const std::uint64_t player = 76561198000000001ull;
        const FString vault(L"bench"), item(L"PrimalItem_WeaponPike_C_1"), wood(L"PrimalItemResource_Wood_C_2");
        const FString blueprint(L"Blueprint'/Game/Resources/PrimalItemResource_Wood.PrimalItemResource_Wood'");
        const std::string itemdata(2048, 'a');  // an ordinary item's bytes as text

        const auto stored = [](const RowsWritten& written) { return written.settlement == Settlement::Committed; };

        Measure("AddVaultRows (one 2 KB item)", runs,
                [&](int) { failures += !stored(store.AddVaultRows(player, vault, {VaultRow::Item(item, itemdata)})); });
        Measure("AddVaultRows (one resource)", runs, [&](int) {
            failures += !stored(store.AddVaultRows(player, FString(L"ore"), {VaultRow::Resource(wood, blueprint, 100)}));
        });
        for (int v = 0; v < 20; ++v)
            failures += !stored(
                store.AddVaultRows(player, FString(L"v") + FString(std::to_string(v)), {VaultRow::Item(item, "00")}));

        // A claim is released, so every run finds the same rows.
        const auto claimed = [&](std::int32_t limit) {
            const VaultRead<VaultItem> read = store.ClaimVaultItems(player, vault, limit);
            if (read.records.Num() > 0) store.ReleaseClaim();
            return read.failed ? -1 : read.records.Num();
        };
        const std::string whole = "ClaimVaultItems + ReleaseClaim (" + std::to_string(runs) + " rows of 2 KB)";
        Measure(whole.c_str(), runs, [&](int) { failures += claimed(runs) != runs; });
        Measure("ClaimVaultItems + ReleaseClaim (limit 1)", runs, [&](int) { failures += claimed(1) != 1; });
        Measure("ReadVaultList (22 vaults)", runs, [&](int) {
            const VaultRead<VaultList> list = store.ReadVaultList(player);
            failures += list.failed || list.records.Num() != 22;
        });

        std::vector<std::int32_t> ids;
        const VaultRead<VaultItem> rows = store.ClaimVaultItems(player, vault, runs);
        for (const auto& row : rows.records) ids.push_back(row->id);
        if (rows.records.Num() > 0) store.ReleaseClaim();
        failures += rows.failed || static_cast<int>(ids.size()) != runs;
        Measure("DeleteVaultRows (one row)", static_cast<int>(ids.size()),
                [&](int i) { failures += !store.DeleteVaultRows({ids[static_cast<std::size_t>(i)]}); });
    }
    Exec(server, "DROP DATABASE IF EXISTS " + database);
    if (failures) std::fprintf(stderr, "bench_store: %d operations failed\n", failures);
    return failures ? 1 : 0;
}
