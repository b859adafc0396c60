#pragma once
// The test kit: a simulated server with the real plugin, players driven as in a session, and
// checks that hold for every test. A test that ends with an error that escaped into the host, or
// with an error line in the plugin's log it did not declare with ExpectErrorLog, fails.
//
//   auto& ann = Join("ann");
//   ann.PicksUp(Item("PrimalItemResource_Wood").Quantity(250));
//   EXPECT_EQ(ann.Types("/savevault base"), Strings{});
//
// PluginTest needs no database: its configuration names a port nothing listens on, so the store
// is down from the load on, as it would be on a server whose database never came up; kits, dumps
// and combat records do not use it. PluginStoreTest adds a scratch database the store uses.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "Sim/Server.h"
#include "support/Holdings.h"
#include "support/ItemSpecs.h"
#include "support/PluginServer.h"
#include "support/StoredRow.h"
#include "support/TestDatabase.h"

namespace TestSupport {

using Strings = std::vector<std::string>;

// One player of the simulated server, as a test drives them.
class Player {
public:
    Player(Sim::Server& server, Sim::Player& player) : server_(server), player_(player) {}

    // A chat line, or a console line, that a command must take (the test fails otherwise); what
    // the player was shown in answer, in order.
    Strings Types(const std::string& line);
    Strings Console(const std::string& line);
    // The whole of one thing shown in the last answer (its kind, colour, sender).
    const Sim::Output& Shown(std::size_t index = 0) const;
    // What the player was shown since the last Types, Console or Told.
    Strings Told();
    // Whether the text was shown to the player at any time since joining.
    ::testing::AssertionResult WasTold(const std::string& text) const;

    Sim::ItemView PicksUp(const Item& item) { return server_.Give(player_, item); }
    // A stack of the item's class and quantity, with every other field the item sets.
    ::testing::AssertionResult Holds(const Item& item) const;
    // The first stack of the class (the test fails when there is none).
    Sim::ItemView Stack(const std::string& className) const;
    // How much of a class the inventory holds, over all its stacks.
    int Count(const std::string& className) const;
    // The classes of the inventory's stacks, sorted.
    Strings Classes() const;

    Sim::Player& operator*() const { return player_; }
    Sim::Player* operator->() const { return &player_; }

private:
    Strings Answer(const std::string& line, bool (Sim::Server::*send)(Sim::Player&, const std::string&));
    Strings TextsFrom(std::size_t first) const;

    Sim::Server& server_;
    Sim::Player& player_;
    std::size_t answerStart_ = 0, read_ = 0;  // positions in the player's Received()
};

class PluginTest : public ::testing::Test {
protected:
    PluginTest();
    ~PluginTest() override;
    // Unloads the plugin (a library that does not leave the process is a fault), then checks
    // the escaped errors and the error lines of the whole test.
    void TearDown() override;

    // Writes `config` and loads the plugin; the log is empty again afterwards (the check has
    // seen every line).
    void Start();
    // A player joins (steam id 0: the next unused one); a name already on the server is that
    // player again, so a fixture may name its players wherever it needs them.
    Player& Join(const std::string& name, std::uint64_t steamId = 0);
    // The store's database cannot be reached from the next Start on; Start then checks that the
    // store said so at load and takes the store's lines of that load as expected.
    void StoreDown();
    // One error (or critical) line containing the text is expected: each call stands for one line.
    void ExpectErrorLog(std::string text);
    // How many lines of the server's log (since Start, or since the test cleared it) hold the text.
    int LogLinesContaining(const std::string& text) const;
    // A hit through the game's TakeDamage; null is a creature.
    float Damage(Player* victim, Player* source, float amount = 10.0f);

    PluginServer server;
    nlohmann::ordered_json config;

private:
    friend class PluginStoreTest;
    bool storeReachable_ = false;
    std::deque<Player> players_;
    std::uint64_t nextSteamId_ = 76561198000000001ULL;
    std::mutex mutex_;  // a test may drive the plugin from a thread of its own
    Strings errorLines_, expectedErrors_;
};

// The store over a scratch database of its own, and the vault rows it holds.
class PluginStoreTest : public PluginTest {
protected:
    PluginStoreTest();

    // The player's rows (of one vault, when named), in the order they were written.
    std::vector<StoredRow> Rows(std::uint64_t steamId, const std::string& vault = "") const;
    std::vector<StoredRow> Rows(const Player& player, const std::string& vault = "") const {
        return Rows((*player).SteamId(), vault);
    }
    // The player's things, in the inventory and in every vault row together.
    Holdings HoldingsOf(const Player& player) const;

    ScratchDatabase db;
};

}  // namespace TestSupport
