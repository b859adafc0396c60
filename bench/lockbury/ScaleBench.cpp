#include "bench/lockbury/ScaleBench.h"

#include <fmt/format.h>
#include <fmt/ranges.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "Database/DecaySchedule.h"
#include "Database/Mysql/Connection.h"
#include "bench/lockbury/BenchServer.h"
#include "bench/lockbury/CommandBench.h"
#include "bench/lockbury/Timer.h"

namespace Bench {
namespace {

constexpr std::uint64_t kFirstPlayer = 76561190000000000ULL;
constexpr int kRowsPerPlayer = 100;  // in 4 vaults of 25
constexpr int kMassExpiryDecay = 24 * 60;  // minutes: the due players' rows are two days old
constexpr int kFillChunk = 20000;  // rows per INSERT ... SELECT: short statements, steady progress
constexpr int kVaultItems = 100;  // the save and load measured: a player's whole vault
constexpr std::size_t kItemBytes = 1024;  // about 2 KB of hex a row, as the filled item rows
constexpr std::size_t kFilledPayload = 883;  // with the item's own fields, 1024 bytes: 2048 hex characters

// An item row and a resource row as the plugin writes them, to fill the table with.
struct RowTemplates {
    std::string itemName, itemData;
    std::string resourceName, blueprint;
};

RowTemplates TemplatesFromASave(BenchServer& game, RawDatabase& db) {
    Sim::Player& player = game.Join("template", kFirstPlayer - 1);
    Sim::ItemSpec hatchet;
    hatchet.className = "PrimalItem_WeaponStoneHatchet";
    hatchet.payload.assign(kFilledPayload, 0x5a);
    game.Give(player, hatchet);
    Sim::ItemSpec wood;
    wood.className = "PrimalItemResource_Wood";
    wood.quantity = 100;
    game.Give(player, wood);
    game.Chat(player, "/savevault template");
    const auto items = db.Rows(
        "SELECT itemname, itemdata FROM u_vault WHERE vaultname = 'template' AND itemdata IS "
        "NOT NULL");
    const auto resources = db.Rows(
        "SELECT itemname, blueprint FROM u_vault WHERE vaultname = 'template' AND "
        "blueprint IS NOT NULL");
    if (items.size() != 1 || resources.size() != 1) throw std::runtime_error("the template save did not store two rows");
    db.Exec("DELETE FROM u_vault WHERE vaultname = 'template'");
    // The blueprint path holds quotes: each text is made ready to stand between single quotes.
    using ledra::mysql::escape_by_hand;
    return {escape_by_hand(items[0][0]), escape_by_hand(items[0][1]), escape_by_hand(resources[0][0]),
            escape_by_hand(resources[0][1])};
}

// Rows first..last of the generated table (1-based); `duePlayersOnly` makes only the rows of the
// players due at the mass-expiry decay (every tenth player).
void Fill(RawDatabase& db, const RowTemplates& t, int first, int last, bool duePlayersOnly) {
    const int total = last - first + 1;
    for (int from = first; from <= last; from += kFillChunk) {
        const int to = std::min(last, from + kFillChunk - 1);
        db.Exec(fmt::format(
            "INSERT INTO u_vault (steamid, vaultname, itemname, itemdata, blueprint, qtd, dtinsert) SELECT {0} + "
            "(seq - 1) DIV {1}, CONCAT('v', ((seq - 1) MOD {1}) DIV 25), IF(seq MOD 3 = 0, '{2}', '{4}'), IF(seq MOD 3 = "
            "0, '{3}', NULL), IF(seq MOD 3 = 0, NULL, '{5}'), IF(seq MOD 3 = 0, NULL, 100), IF(((seq - 1) DIV {1}) MOD 10 "
            "= 0, UNIX_TIMESTAMP() - 2 * 86400, UNIX_TIMESTAMP()) - seq MOD 3600 FROM seq_{6}_to_{7}{8}",
            kFirstPlayer, kRowsPerPlayer, t.itemName, t.itemData, t.resourceName, t.blueprint, from, to,
            duePlayersOnly ? fmt::format(" WHERE ((seq - 1) DIV {}) MOD 10 = 0", kRowsPerPlayer) : ""));
        if (total >= 100000) {
            std::printf("    filled %d of %d rows\r", to - first + 1, total);
            std::fflush(stdout);
        }
    }
    if (total >= 100000) std::printf("\n");
}

double Max(const std::vector<double>& samples) {
    return samples.empty() ? 0 : *std::max_element(samples.begin(), samples.end());
}

struct DuringDecay {
    double decay = 0;  // ms, the run with the mass expiry
    std::vector<double> loads, saves;  // ms, each command on the game thread meanwhile
    int refused = 0;  // loads answered storeUnavailable
    // What the store's error lines of those loads named: a deadlock at the claim (nothing given
    // yet) or at the settle (the items given were taken back), a lock wait past its bound.
    int claimDeadlocks = 0, settleDeadlocks = 0, lockWaits = 0;
};

// The decay run on a connection of its own; meanwhile the game thread loads a vault of one due
// player after the other, and saves the items back, until the run ends.
DuringDecay MassExpiry(BenchServer& game, const DbServer& server, const std::string& database, int players) {
    DuringDecay out;
    std::atomic<bool> done{false};
    std::string error;
    std::thread decay([&] {
        try {
            RawDatabase own(server, database);
            Timer run;
            own.Exec(DecaySchedule::RunNow(kMassExpiryDecay));
            out.decay = run.Ms();
        } catch (const std::exception& e) {
            error = e.what();
        }
        done = true;
    });
    for (int player = 0; !done; player = (player + 10) % players) {
        Sim::Player* p = game.Find(fmt::format("due{}", player));
        if (!p) p = &game.Join(fmt::format("due{}", player), kFirstPlayer + static_cast<std::uint64_t>(player));
        p->ClearReceived();
        game.ClearLog();
        Timer load;
        game.Chat(*p, "/loadvault v0");
        out.loads.push_back(load.Ms());
        const auto& said = p->Received();
        if (!said.empty() && said.back().text.find("Store unavailable") != std::string::npos) {
            ++out.refused;
            for (const std::string& line : game.LogLines()) {
                const bool deadlock = line.find("(1213)") != std::string::npos;
                out.claimDeadlocks += deadlock && line.find("MySql::ClaimVaultItems") != std::string::npos;
                out.settleDeadlocks += deadlock && line.find("MySql::SettleClaim") != std::string::npos;
                out.lockWaits += line.find("(1205)") != std::string::npos;
            }
        }
        if (p->ItemCount() != 0) {
            Timer save;
            game.Chat(*p, "/savevault back");
            out.saves.push_back(save.Ms());
        }
    }
    decay.join();
    if (!error.empty()) throw std::runtime_error("the decay run failed: " + error);
    return out;
}

double Ms(RawDatabase& db, const std::string& sql) {
    Timer t;
    db.Exec(sql);
    return t.Ms();
}

}  // namespace

std::string ScaleTag(int rows) {
    if (rows >= 1000000 && rows % 1000000 == 0) return std::to_string(rows / 1000000) + "M";
    if (rows >= 1000 && rows % 1000 == 0) return std::to_string(rows / 1000) + "k";
    return std::to_string(rows);
}

void MeasureScale(const ScalePlan& plan, Report& report, const DbServer& server, const std::string& database) {
    RawDatabase db(server, database);
    RowTemplates templates;
    {
        BenchServer game(server, database);  // loading the plugin makes the table, its index and the event
        templates = TemplatesFromASave(game, db);
    }
    std::printf("(database %s on %s:%u; item rows of %zu hex characters)\n", database.c_str(), server.host.c_str(),
                server.port, templates.itemData.size());

    int filled = 0;
    for (const int rows : plan.rows) {
        const std::string tag = "scale " + ScaleTag(rows) + " rows: ";
        report.Section(fmt::format("u_vault with {} rows ({} players, 100 rows each; ms)", rows, rows / kRowsPerPlayer));
        Timer fill;
        Fill(db, templates, filled + 1, rows, false);
        filled = rows;
        report.Add(tag + "fill", fill.Ms() / 1000, "s");
        // A server started on the filled table: its load finds the index and the event in place.
        BenchServer game(server, database);

        // A filled player that is never due: 4 vaults of 25 rows.
        Sim::Player& lister = game.Join("lister", kFirstPlayer + 1);
        std::vector<double> lists;
        for (int run = 0; run < plan.runs; ++run) {
            lister.ClearReceived();
            Timer t;
            game.Chat(lister, "/listvault");
            lists.push_back(t.Ms());
            if (lister.Received().empty() || lister.Received().back().text.find("v3:") == std::string::npos)
                throw std::runtime_error("the list did not show the player's four vaults");
        }
        report.Add(tag + "list (4 vaults, 100 rows)", Median(lists), "ms");

        const SaveLoad saveLoad = MeasureSaveLoad(game, db, kVaultItems, kItemBytes, plan.runs);
        report.Add(tag + "save 100 x 1 KB", saveLoad.save, "ms");
        report.Add(tag + "load 100 x 1 KB", saveLoad.load, "ms");

        std::vector<double> idle;
        for (int run = 0; run < plan.runs; ++run) idle.push_back(Ms(db, DecaySchedule::RunNow(BenchServer::kDecayMinutes)));
        report.Add(tag + "decay run, nothing due", Median(idle), "ms");

        const std::string dueCount =
            fmt::format("SELECT COUNT(*) FROM u_vault WHERE {}", DecaySchedule::DueCondition(kMassExpiryDecay));
        const int due = std::stoi(db.Rows(dueCount).at(0).at(0));
        const DuringDecay during = MassExpiry(game, server, database, rows / kRowsPerPlayer);
        const int left = std::stoi(db.Rows(dueCount).at(0).at(0));
        if (left != 0) throw std::runtime_error(fmt::format("the decay run left {} due rows", left));
        report.Add(tag + "decay run, 10% due", during.decay, "ms");
        report.Add(tag + "decay run, 10% due: rows deleted", due, "count");
        report.Add(tag + "during the 10% decay run: loads", static_cast<double>(during.loads.size()), "count");
        report.Add(tag + "during the 10% decay run: loads refused", during.refused, "count");
        report.Add(tag + "during the 10% decay run: loads refused by a deadlock at the claim", during.claimDeadlocks,
                   "count");
        report.Add(tag + "during the 10% decay run: loads undone by a deadlock at the settle", during.settleDeadlocks,
                   "count");
        report.Add(tag + "during the 10% decay run: loads refused by a lock wait", during.lockWaits, "count");
        report.Add(tag + "during the 10% decay run: load (median)", Median(during.loads), "ms");
        report.Add(tag + "during the 10% decay run: load (max)", Max(during.loads), "ms");
        report.Add(tag + "during the 10% decay run: save (max)", Max(during.saves), "ms");
        report.Add(tag + "during the 10% decay run: game-thread wait (max)", std::max(Max(during.loads), Max(during.saves)),
                   "ms");

        // The due players get their rows back, as filled, for the next size.
        std::vector<std::uint64_t> duePlayers;
        for (int player = 0; player < rows / kRowsPerPlayer; player += 10) duePlayers.push_back(kFirstPlayer + player);
        db.Exec(fmt::format("DELETE FROM u_vault WHERE steamid IN ({})", fmt::join(duePlayers, ",")));
        Fill(db, templates, 1, rows, true);
    }

    // The first load after an upgrade, on the largest table: the plugin adds the index online.
    db.Exec("ALTER TABLE u_vault DROP INDEX p4");
    Timer upgrade;
    BenchServer upgraded(server, database);
    report.Add("scale " + ScaleTag(plan.rows.back()) + " rows: plugin load adding the index on dtinsert", upgrade.Ms(),
               "ms");
    if (db.Rows("SHOW INDEX FROM u_vault WHERE Key_name = 'p4'").empty())
        throw std::runtime_error("the load did not add the index on dtinsert");
}

}  // namespace Bench
