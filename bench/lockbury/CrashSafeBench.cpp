#include "bench/lockbury/CrashSafeBench.h"

#include <fmt/format.h>

#include <algorithm>
#include <stdexcept>

#include "bench/lockbury/BenchServer.h"
#include "bench/lockbury/ItemFill.h"
#include "bench/lockbury/RelayedServer.h"
#include "bench/lockbury/Report.h"
#include "bench/lockbury/Timer.h"

namespace Bench {
namespace {

constexpr int kLoadLimit = 299;
std::uint64_t nextPlayer = 76561193000000000ULL;
int nextServer = 0;

// Each server a journal of its own: a server id shared with an earlier one would start by
// rolling back what that one left.
nlohmann::ordered_json Mode(bool crashSafe) {
    return {{"crashSafe", crashSafe}, {"serverId", fmt::format("bench-{}", ++nextServer)}};
}

struct Round {
    double save = 0, load = 0, worldSave = 0;
};

// One player's save, load and world save; `between` runs before each timed step and `after`
// right after it (the relay's statement log).
class Rounds {
public:
    Rounds(BenchServer& server, RawDatabase& db, int items, std::size_t itemBytes)
        : server_(server),
          db_(db),
          items_(items),
          itemBytes_(itemBytes),
          steamid_(nextPlayer++),
          player_(server.Join(fmt::format("cs{}", steamid_ % 1000), steamid_)),
          vault_(fmt::format("cs{}x{}", items, itemBytes)),
          fill_(static_cast<std::uint32_t>(steamid_)) {
        server_.SaveWorld();  // the journal starts empty
    }

    template <typename Before, typename After>
    Round Next(Before before, After after) {
        db_.Exec(fmt::format("DELETE FROM u_vault WHERE steamid = {}", steamid_));
        fill_.TopUp(server_, player_, items_, itemBytes_);
        player_.ClearReceived();
        Round round;

        before();
        Timer save;
        server_.Chat(player_, "/savevault " + vault_);
        round.save = save.Ms();
        after(0);
        if (player_.ItemCount() != 0) throw std::runtime_error("the save left items behind (" + vault_ + ")");

        before();
        Timer load;
        server_.Chat(player_, "/loadvault " + vault_);
        round.load = load.Ms();
        after(1);
        if (static_cast<int>(player_.ItemCount()) != std::min(items_, kLoadLimit))
            throw std::runtime_error("the load did not give every item back (" + vault_ + ")");

        before();
        Timer world;
        server_.SaveWorld();
        round.worldSave = world.Ms();
        after(2);
        return round;
    }

private:
    BenchServer& server_;
    RawDatabase& db_;
    int items_;
    std::size_t itemBytes_;
    std::uint64_t steamid_;
    Sim::Player& player_;
    std::string vault_;
    ItemFill fill_;
};

CrashSafeMode Measure(const DbServer& server, const std::string& database, bool crashSafe, int items, std::size_t itemBytes,
                      int runs) {
    RawDatabase db(server, database);
    CrashSafeMode mode;
    {
        RelayedServer relayed(server, database, Mode(crashSafe));
        Rounds rounds(relayed.game, db, items, itemBytes);
        const auto none = [] {};
        rounds.Next(none, [](int) {});  // the connection's first save also asks for the packet limit
        std::vector<std::string>* into[] = {&mode.saveStatements, &mode.loadStatements, &mode.worldSaveStatements};
        rounds.Next([&] { relayed.relay.ClearStatements(); }, [&](int step) { *into[step] = relayed.relay.Statements(); });
    }
    BenchServer direct(server, database, Mode(crashSafe));
    Rounds rounds(direct, db, items, itemBytes);
    rounds.Next([] {}, [](int) {});
    std::vector<double> saves, loads, worldSaves;
    for (int run = 0; run < runs; ++run) {
        const Round round = rounds.Next([] {}, [](int) {});
        saves.push_back(round.save);
        loads.push_back(round.load);
        worldSaves.push_back(round.worldSave);
    }
    mode.save = Median(saves);
    mode.load = Median(loads);
    mode.worldSave = Median(worldSaves);
    return mode;
}

}  // namespace

CrashSafeCost MeasureCrashSafe(const DbServer& server, const std::string& database, int items, std::size_t itemBytes,
                               int runs) {
    CrashSafeCost cost;
    cost.off = Measure(server, database, false, items, itemBytes, runs);
    cost.on = Measure(server, database, true, items, itemBytes, runs);
    return cost;
}

}  // namespace Bench
