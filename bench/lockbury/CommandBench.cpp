#include "bench/lockbury/CommandBench.h"

#include <fmt/format.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "Database/VaultStatements.h"
#include "bench/lockbury/ItemFill.h"
#include "bench/lockbury/Report.h"
#include "bench/lockbury/Timer.h"

namespace Bench {
namespace {

constexpr int kLoadLimit = 299;
std::uint64_t nextPlayer = 76561191000000000ULL;

std::string Tag(int items, std::size_t bytes) { return std::to_string(items) + "x" + std::to_string(bytes); }

}  // namespace

SaveLoad MeasureSaveLoad(BenchServer& server, RawDatabase& db, int items, std::size_t itemBytes, int runs) {
    const std::uint64_t steamid = nextPlayer++;
    // fmt rather than "p" + std::string: GCC 12 warns falsely (-Wrestrict) on that form.
    Sim::Player& player = server.Join(fmt::format("p{}", Tag(items, itemBytes)), steamid);
    const std::string vault = fmt::format("v{}", Tag(items, itemBytes));
    ItemFill fill(static_cast<std::uint32_t>(steamid));

    std::vector<double> saves, loads;
    for (int run = 0; run < runs; ++run) {
        db.Exec("DELETE FROM u_vault WHERE steamid = " + std::to_string(steamid));
        // Top the inventory up to `items` (a load leaves at most 299 of them).
        fill.TopUp(server, player, items, itemBytes);

        Timer save;
        server.Chat(player, "/savevault " + vault);
        saves.push_back(save.Ms());
        if (player.ItemCount() != 0) throw std::runtime_error("the save left items behind (" + vault + ")");

        Timer load;
        server.Chat(player, "/loadvault " + vault);
        loads.push_back(load.Ms());
        const int back = static_cast<int>(player.ItemCount());
        if (back != std::min(items, kLoadLimit))
            throw std::runtime_error("the load gave " + std::to_string(back) + " items back (" + vault + ")");
        player.ClearReceived();
    }
    return {Median(saves), Median(loads)};
}

ListTimes MeasureList(BenchServer& server, RawDatabase& db, int vaults, int decay, int runs) {
    const std::uint64_t steamid = nextPlayer++;
    Sim::Player& player = server.Join("list" + std::to_string(vaults), steamid);
    std::string sql = "INSERT INTO u_vault (steamid, vaultname, itemname, itemdata, dtinsert) values ";
    for (int v = 0; v < vaults; ++v) {
        for (int row = 0; row < 3; ++row) {
            if (v || row) sql += ',';
            sql += fmt::format("({}, 'vault{}', 'PrimalItem_WeaponStoneHatchet_C_1', '00', UNIX_TIMESTAMP())", steamid, v);
        }
    }
    db.Exec(sql);

    const std::string floorSql = VaultStatements::List(decay, steamid);
    std::vector<double> samples, floors;
    for (int run = 0; run < runs; ++run) {
        player.ClearReceived();
        Timer t;
        server.Chat(player, "/listvault");
        samples.push_back(t.Ms());
        Timer f;
        db.Rows(floorSql);
        floors.push_back(f.Ms());
    }
    const auto& shown = player.Received();
    if (shown.empty() || shown.back().text.find("vault" + std::to_string(vaults - 1) + ":") == std::string::npos)
        throw std::runtime_error("the list did not show every vault");
    return {Median(samples), Median(floors)};
}

}  // namespace Bench
