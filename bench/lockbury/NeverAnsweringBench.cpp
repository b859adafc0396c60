#include "bench/lockbury/NeverAnsweringBench.h"

#include <nlohmann/json.hpp>

#include <stdexcept>

#include "bench/lockbury/ItemFill.h"
#include "bench/lockbury/RelayedServer.h"
#include "bench/lockbury/Timer.h"
#include "support/TestConfig.h"

namespace Bench {
namespace {

std::uint64_t nextPlayer = 76561193000000000ULL;

std::string Line(VaultCommand command, const std::string& vault) {
    switch (command) {
        case VaultCommand::Save: return "/savevault " + vault;
        case VaultCommand::Load: return "/loadvault " + vault;
        case VaultCommand::List: return "/listvault";
    }
    throw std::logic_error("unknown vault command");
}

bool Told(const Sim::Player& player, const std::string& text) {
    for (const auto& output : player.Received())
        if (output.text == text) return true;
    return false;
}

}  // namespace

Unanswered MeasureNeverAnswering(const DbServer& db, const std::string& database, VaultCommand command,
                                 int reconnectTimeout, int items, std::size_t itemBytes, int later) {
    if (later < 1) throw std::invalid_argument("at least one command must follow the first");
    // The pause after a failed connect (the default 30 s) outlasts every later command here.
    const auto overrides = nlohmann::ordered_json{{"reconnectTimeout", reconnectTimeout}, {"reconnectInterval", 30}};
    const std::string unavailable = TestSupport::DefaultConfig({})["messages"]["storeUnavailable"].get<std::string>();
    RelayedServer server(db, database, overrides);
    const std::uint64_t steamid = nextPlayer++;
    Sim::Player& player = server.game.Join("dark" + std::to_string(steamid % 1000), steamid);
    const std::string vault = "dark";
    ItemFill fill(static_cast<std::uint32_t>(steamid));

    // A connection in use, and a vault to load; a save needs a full inventory again, a load room in it.
    fill.TopUp(server.game, player, items, itemBytes);
    server.game.Chat(player, "/savevault " + vault);
    if (player.ItemCount() != 0) throw std::runtime_error("the save before the dark did not go through");
    if (command == VaultCommand::Save) fill.TopUp(server.game, player, items, itemBytes);
    const std::size_t held = player.ItemCount();

    server.relay.SetBlackHole(true);
    server.relay.CutAll();

    const std::string line = Line(command, vault);
    const auto timed = [&] {
        player.ClearReceived();
        Timer t;
        server.game.Chat(player, line);
        const double ms = t.Ms();
        if (!Told(player, unavailable))
            throw std::runtime_error("\"" + line + "\" against a dark database did not say \"" + unavailable + "\"");
        if (player.ItemCount() != held) throw std::runtime_error("\"" + line + "\" moved items in the dark");
        return ms;
    };
    Unanswered result;
    result.first = timed();
    for (int i = 0; i < later; ++i) result.later.push_back(timed());
    return result;
}

}  // namespace Bench
