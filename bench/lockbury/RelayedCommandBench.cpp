#include "bench/lockbury/RelayedCommandBench.h"

#include <algorithm>
#include <stdexcept>

#include "bench/lockbury/ItemFill.h"
#include "bench/lockbury/Timer.h"

namespace Bench {
namespace {

constexpr int kLoadLimit = 299;  // the places an empty inventory has for a load
std::uint64_t nextPlayer = 76561192000000000ULL;

struct Step {
    double ms = 0;
    std::vector<std::string> statements;
};

// One command typed by the player, timed around the chat line, with what the relay passed on for it.
Step Run(RelayedServer& server, Sim::Player& player, const std::string& line) {
    server.relay.ClearStatements();
    Timer t;
    server.game.Chat(player, line);
    Step step{t.Ms(), {}};
    // The plugin waits for every answer, so each statement was recorded before the command returned.
    step.statements = server.relay.Statements();
    return step;
}

// A player of its own with a vault of its own, saved, listed and loaded back in rounds.
class Rounds {
public:
    Rounds(RelayedServer& server, RawDatabase& db, int items, std::size_t itemBytes)
        : server_(server),
          db_(db),
          items_(items),
          itemBytes_(itemBytes),
          steamid_(nextPlayer++),
          player_(server.game.Join("relayed" + std::to_string(steamid_ % 1000), steamid_)),
          vault_("relayed" + std::to_string(items) + "x" + std::to_string(itemBytes)),
          fill_(static_cast<std::uint32_t>(steamid_)) {}

    // Throws when a command did not do what it should have.
    PerCommand<Step> Next() {
        db_.Exec("DELETE FROM u_vault WHERE steamid = " + std::to_string(steamid_));
        fill_.TopUp(server_.game, player_, items_, itemBytes_);
        player_.ClearReceived();
        PerCommand<Step> round;

        round.save = Run(server_, player_, "/savevault " + vault_);
        if (player_.ItemCount() != 0) throw std::runtime_error("the relayed save left items behind");

        round.list = Run(server_, player_, "/listvault");
        const std::string line = vault_ + ": " + std::to_string(items_) + " items";
        const auto& shown = player_.Received();
        if (shown.empty() || shown.back().text.find(line) == std::string::npos)
            throw std::runtime_error("the relayed list did not show \"" + line + "\"");

        round.load = Run(server_, player_, "/loadvault " + vault_);
        const int back = static_cast<int>(player_.ItemCount());
        if (back != std::min(items_, kLoadLimit))
            throw std::runtime_error("the relayed load gave " + std::to_string(back) + " items back");
        return round;
    }

private:
    RelayedServer& server_;
    RawDatabase& db_;
    int items_;
    std::size_t itemBytes_;
    std::uint64_t steamid_;
    Sim::Player& player_;
    std::string vault_;
    ItemFill fill_;
};

}  // namespace

PerCommand<std::vector<std::string>> RecordStatements(RelayedServer& server, RawDatabase& db, int items,
                                                      std::size_t itemBytes) {
    Rounds rounds(server, db, items, itemBytes);
    rounds.Next();  // the connection's first save also asks for the packet limit
    const PerCommand<Step> round = rounds.Next();
    return {round.save.statements, round.list.statements, round.load.statements};
}

PerCommand<std::vector<double>> MeasureOverDelay(RelayedServer& server, RawDatabase& db, int items, std::size_t itemBytes,
                                                 std::chrono::microseconds oneWay, int runs) {
    Rounds rounds(server, db, items, itemBytes);
    rounds.Next();  // not timed: the connection's first save also asks for the packet limit
    server.relay.SetDelay(oneWay);
    std::vector<double> saves, lists, loads;
    for (int run = 0; run < runs; ++run) {
        const PerCommand<Step> round = rounds.Next();
        saves.push_back(round.save.ms);
        lists.push_back(round.list.ms);
        loads.push_back(round.load.ms);
    }
    server.relay.SetDelay(std::chrono::microseconds(0));
    return {saves, lists, loads};
}

}  // namespace Bench
