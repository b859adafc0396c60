#include "bench/lockbury/StoreThreadBench.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <functional>
#include <stdexcept>
#include <thread>

#include "bench/lockbury/ItemFill.h"
#include "bench/lockbury/RelayedServer.h"
#include "bench/lockbury/Timer.h"
#include "support/TestConfig.h"

namespace Bench {
namespace {

using namespace std::chrono_literals;

constexpr int kLoadLimit = 299;  // the places an empty inventory has for a load
std::uint64_t nextPlayer = 76561194000000000ULL;

struct Timed {
    double gameThread = 0;  // the command's own call, or the longest frame after it
    double call = 0;  // the command's own call
    double outcome = 0;
};

// Types the line, then runs the game's frames (one a millisecond) until seen() holds; throws
// after 60 s. The game thread's time is each frame's, not the time between them. seen() runs on
// the game thread too, between frames, so it counts items without making their bytes: making a
// whole inventory's would keep this core busy for a millisecond every frame.
Timed Command(BenchServer& game, Sim::Player& player, const std::string& line, const std::function<bool()>& seen) {
    Timed timed;
    const Timer sinceTyped;
    {
        const Timer call;
        game.Chat(player, line);
        timed.call = timed.gameThread = call.Ms();
    }
    while (!seen()) {
        if (sinceTyped.Ms() > 10000) {
            std::string told;
            for (const auto& output : player.Received()) told += "\n  " + output.text;
            told += "\n inventory " + std::to_string(player.ItemCount());
            throw std::runtime_error("\"" + line + "\" never came to an outcome; the player was told:" + told);
        }
        std::this_thread::sleep_for(1ms);
        const Timer frame;
        game.Frame();
        timed.gameThread = std::max(timed.gameThread, frame.Ms());
    }
    timed.outcome = sinceTyped.Ms();
    return timed;
}

bool ToldContaining(const Sim::Player& player, const std::string& text) {
    for (const auto& output : player.Received())
        if (output.text.find(text) != std::string::npos) return true;
    return false;
}

}  // namespace

Threaded MeasureStoreThread(const DbServer& db, const std::string& database, int items, std::size_t itemBytes,
                            std::chrono::microseconds oneWay, int runs) {
    RelayedServer server(db, database, {{"storeThread", true}});
    RawDatabase raw(db, database);
    const std::uint64_t steamid = nextPlayer++;
    Sim::Player& player = server.game.Join("threaded" + std::to_string(steamid % 1000), steamid);
    const std::string vault = "threaded";
    ItemFill fill(static_cast<std::uint32_t>(steamid));
    const auto round = [&](Threaded* into) {
        raw.Exec("DELETE FROM u_vault WHERE steamid = " + std::to_string(steamid));
        fill.TopUp(server.game, player, items, itemBytes);
        player.ClearReceived();
        const Timed save = Command(server.game, player, "/savevault " + vault, [&] { return player.ItemCount() == 0; });
        const std::string line = vault + ": " + std::to_string(items) + " items";
        const Timed list = Command(server.game, player, "/listvault", [&] { return ToldContaining(player, line); });
        const int back = std::min(items, kLoadLimit);
        // The player sees the items once they are given; the load's COMMIT follows on the store
        // thread, and the next round waits for it.
        const Timed load = Command(server.game, player, "/loadvault " + vault,
                                   [&] { return static_cast<int>(player.ItemCount()) == back; });
        // A list is refused while a move of the player is in flight, and answered (a notification)
        // once none is.
        for (bool refused = true; refused;) {
            const std::size_t from = player.Received().size();
            refused = false;
            Command(server.game, player, "/listvault", [&] {
                const auto& received = player.Received();
                for (std::size_t i = from; i < received.size(); ++i) {
                    if (received[i].kind == Sim::Output::Kind::Notify) return true;
                    refused = refused || received[i].text.find("still in progress") != std::string::npos;
                }
                return refused;
            });
        }
        if (!into) return;
        into->gameThread.save.push_back(save.gameThread);
        into->gameThread.list.push_back(list.gameThread);
        into->gameThread.load.push_back(load.gameThread);
        into->call.save.push_back(save.call);
        into->call.list.push_back(list.call);
        into->call.load.push_back(load.call);
        into->outcome.save.push_back(save.outcome);
        into->outcome.list.push_back(list.outcome);
        into->outcome.load.push_back(load.outcome);
    };
    round(nullptr);  // not timed: the connection's first save also asks for the packet limit
    server.relay.SetDelay(oneWay);
    Threaded result;
    for (int run = 0; run < runs; ++run) round(&result);
    server.relay.SetDelay(0us);
    return result;
}

std::vector<double> MeasureStoreThreadDark(const DbServer& db, const std::string& database,
                                           const std::vector<VaultCommand>& commands, int reconnectTimeout, int items,
                                           std::size_t itemBytes, int later) {
    const auto overrides =
        nlohmann::ordered_json{{"storeThread", true}, {"reconnectTimeout", reconnectTimeout}, {"reconnectInterval", 30}};
    const std::string unavailable = TestSupport::DefaultConfig({})["messages"]["storeUnavailable"].get<std::string>();
    std::vector<double> gameThread;
    for (const VaultCommand command : commands) {
        RelayedServer server(db, database, overrides);
        const std::uint64_t steamid = nextPlayer++;
        Sim::Player& player = server.game.Join("dark" + std::to_string(steamid % 1000), steamid);
        ItemFill fill(static_cast<std::uint32_t>(steamid));
        fill.TopUp(server.game, player, items, itemBytes);
        Command(server.game, player, "/savevault dark", [&] { return player.ItemCount() == 0; });
        if (command == VaultCommand::Save) fill.TopUp(server.game, player, items, itemBytes);
        const std::size_t held = player.ItemCount();

        server.relay.SetBlackHole(true);
        server.relay.CutAll();
        const std::string line = command == VaultCommand::Save   ? "/savevault dark"
                                 : command == VaultCommand::Load ? "/loadvault dark"
                                                                 : "/listvault";
        for (int i = 0; i <= later; ++i) {
            player.ClearReceived();
            const Timed timed = Command(server.game, player, line, [&] { return ToldContaining(player, unavailable); });
            if (player.ItemCount() != held) throw std::runtime_error("\"" + line + "\" moved items in the dark");
            gameThread.push_back(timed.gameThread);
        }
        server.relay.SetBlackHole(false);
    }
    return gameThread;
}

}  // namespace Bench
