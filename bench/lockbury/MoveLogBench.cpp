#include "bench/lockbury/MoveLogBench.h"

#include <fmt/format.h>

#include <algorithm>
#include <stdexcept>

#include "Database/MoveLog.h"
#include "Database/Mysql/Connection.h"
#include "bench/lockbury/BenchServer.h"
#include "bench/lockbury/ItemFill.h"
#include "bench/lockbury/RelayedServer.h"
#include "bench/lockbury/Report.h"
#include "bench/lockbury/Timer.h"

namespace Bench {
namespace {

constexpr int kLoadLimit = 299;

// The record's statements among a move's (the relay keeps the start of each).
std::vector<std::string> RecordStatements(const std::vector<std::string>& statements) {
    std::vector<std::string> record;
    for (const std::string& sql : statements)
        if (sql.find("u_vault_log") != std::string::npos) record.push_back(sql);
    if (record.size() != 2)
        throw std::runtime_error(fmt::format("a move wrote {} record statements, not 2", record.size()));
    return record;
}

struct SavedRows {
    std::vector<std::int32_t> ids;
    std::vector<VaultRow> rows;
    MoveLogStatements::Claimed claimed;  // as a load's claim reads them
};
SavedRows ReadRows(RawDatabase& db, std::uint64_t steamid) {
    SavedRows saved;
    for (const auto& row : db.Rows(
             fmt::format("SELECT id, itemname, IFNULL(qtd, '') FROM u_vault WHERE steamid = {} ORDER BY id", steamid))) {
        saved.ids.push_back(std::stoi(row.at(0)));
        saved.claimed[saved.ids.back()] = {row.at(1), row.at(2).empty() ? 1 : std::stoll(row.at(2))};
        saved.rows.push_back(row.at(2).empty() ? VaultRow::Item(FString(row.at(1)), "")
                                               : VaultRow::Resource(FString(row.at(1)), FString(), std::stoi(row.at(2))));
    }
    return saved;
}

// The record's statements as the move sends them: inside an open transaction, each one round trip.
double Replay(RawDatabase& db, const std::vector<std::string>& record) {
    db.Exec("START TRANSACTION");
    Timer timer;
    for (const std::string& sql : record) db.Exec(sql);
    const double ms = timer.Ms();
    db.Exec("ROLLBACK");
    return ms;
}

}  // namespace

MoveLogCost MeasureMoveLog(const DbServer& server, const std::string& database, int items, std::size_t itemBytes,
                           int runs) {
    RawDatabase db(server, database);
    const std::uint64_t steamid = 76561194000000000ULL + static_cast<std::uint64_t>(items);
    const std::string vault = fmt::format("log{}", items);
    ItemFill fill(static_cast<std::uint32_t>(steamid));
    // A save and a load of the player's items, the time of each, and what came back checked.
    const auto round = [&](BenchServer& game, Sim::Player& player, double& saveMs, double& loadMs, auto beforeLoad) {
        fill.TopUp(game, player, items, itemBytes);
        Timer save;
        game.Chat(player, "/savevault " + vault);
        saveMs = save.Ms();
        if (player.ItemCount() != 0) throw std::runtime_error("the save left items behind (" + vault + ")");
        beforeLoad();
        Timer load;
        game.Chat(player, "/loadvault " + vault);
        loadMs = load.Ms();
        if (static_cast<int>(player.ItemCount()) != std::min(items, kLoadLimit))
            throw std::runtime_error("the load did not give every item back (" + vault + ")");
    };

    MoveLogCost cost;
    std::vector<double> saveRecords, loadRecords;
    {
        // Through a relay: the record's statements of each move counted, then replayed.
        RelayedServer relayed(server, database, {{"serverId", "bench-log"}});
        Sim::Player& player = relayed.game.Join(fmt::format("log{}", items), steamid);
        const std::string kept = fmt::format("kept{}", items);
        db.Exec(fmt::format("CREATE TEMPORARY TABLE {} LIKE u_vault", kept));
        const MoveLogStatements log("bench-log", ledra::mysql::escape_by_hand);
        for (int run = 0; run <= runs; ++run) {
            double saveMs = 0, loadMs = 0;
            SavedRows saved;
            relayed.relay.ClearStatements();
            round(relayed.game, player, saveMs, loadMs, [&] {
                cost.saveStatements = RecordStatements(relayed.relay.Statements());
                saved = ReadRows(db, steamid);
                // The rows as saved, to bring back under their own ids for the load's replay.
                db.Exec(fmt::format("DELETE FROM {}", kept));
                db.Exec(fmt::format("INSERT INTO {} SELECT * FROM u_vault WHERE steamid = {}", kept, steamid));
                relayed.relay.ClearStatements();
            });
            cost.loadStatements = RecordStatements(relayed.relay.Statements());
            // The record's statements whole, as the store builds them; the load's of the rows it took,
            // as its claim read them.
            ClaimOutcome outcome;
            const SavedRows left = ReadRows(db, steamid);
            for (const std::int32_t id : saved.ids)
                if (std::find(left.ids.begin(), left.ids.end(), id) == left.ids.end()) outcome.taken.push_back(id);
            const std::vector<std::string> saveRecord{log.SaveEntry(steamid, vault, saved.rows.size(), 0),
                                                      log.SavedItems(saved.rows)};
            const std::vector<std::string> loadRecord{log.LoadEntry(outcome, steamid, vault, 0),
                                                      log.LoadedItems(outcome, saved.claimed)};
            saveRecords.push_back(Replay(db, saveRecord));
            db.Exec(fmt::format("DELETE FROM u_vault WHERE steamid = {}", steamid));
            db.Exec(fmt::format("INSERT INTO u_vault SELECT * FROM {}", kept));
            loadRecords.push_back(Replay(db, loadRecord));
            db.Exec(fmt::format("DELETE FROM u_vault WHERE steamid = {}", steamid));
        }
    }
    // Straight to the database: the move itself, record included.
    BenchServer direct(server, database, {{"serverId", "bench-log"}});
    Sim::Player& player = direct.Join(fmt::format("dlog{}", items), steamid);
    std::vector<double> saves, loads;
    for (int run = 0; run <= runs; ++run) {
        double saveMs = 0, loadMs = 0;
        round(direct, player, saveMs, loadMs, [] {});
        saves.push_back(saveMs);
        loads.push_back(loadMs);
    }
    // The first round of each warms up (the connection's first save also reads the packet limit).
    saves.erase(saves.begin());
    loads.erase(loads.begin());
    saveRecords.erase(saveRecords.begin());
    loadRecords.erase(loadRecords.begin());
    cost.save = Median(saves);
    cost.load = Median(loads);
    cost.saveRecord = Median(saveRecords);
    cost.loadRecord = Median(loadRecords);
    return cost;
}

}  // namespace Bench
