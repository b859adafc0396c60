// With "storeThread" true, a move's statements run on the store thread while the game goes on. The
// COMMIT of each move is held at the relay, so the move is in flight for as long as the test needs;
// meanwhile the player dies, drops an item, the world is saved or the plugin reloaded, or the
// COMMIT fails. Then every item is in exactly one place: the inventory, the vault, or where the
// player dropped it.
#include <chrono>
#include <functional>
#include <thread>

#include "support/PluginTest.h"
#include "support/Relay.h"

namespace {

using namespace std::chrono_literals;
using TestSupport::Holdings;
using TestSupport::Item;
using TestSupport::Player;
using TestSupport::Strings;
const Strings kUnavailable{"Store unavailable"};
const Strings kInFlight{"Your last vault command is still in progress; try again in a moment."};

class StoreThread : public TestSupport::PluginStoreTest {
protected:
    StoreThread() : relay(db.Params().port) {
        config["mysqlPort"] = relay.Port();
        config["storeThread"] = true;
        config["queryTimeout"] = 2;
        config["reconnectTimeout"] = 1;
        config["reconnectInterval"] = 0;
    }

    // Game frames until done() holds; the test fails after 10 s without.
    void FramesUntil(const std::function<bool()>& done) {
        const auto until = std::chrono::steady_clock::now() + 10s;
        while (!done()) {
            ASSERT_LT(std::chrono::steady_clock::now(), until) << "the store thread's outcome never came";
            server.Frame();
            std::this_thread::sleep_for(2ms);
        }
    }
    // Until the player's moves have all ended: a list is refused while one is in flight, and
    // answered (a notification) once none is.
    void Settle(Player& player) {
        for (;;) {
            const std::size_t from = player->Received().size();
            player.Types("/listvault");
            bool refused = false;
            FramesUntil([&] {
                const auto& received = player->Received();
                for (std::size_t i = from; i < received.size(); ++i) {
                    if (received[i].kind == Sim::Output::Kind::Notify) return true;
                    refused = refused || received[i].text == kInFlight[0];
                }
                return refused;
            });
            if (!refused) return;
            std::this_thread::sleep_for(20ms);
        }
    }

    // The player drops the item: it is in the world now, and nowhere `expected` counts.
    static void Drops(Player& player, UPrimalItem* item, Holdings& expected) {
        const Holdings held = Holdings::InInventory(*player);
        ASSERT_TRUE(player->InventoryComponent()->RemoveItem(&item->ItemIDField(), true, false, true, false));
        const Holdings left = Holdings::InInventory(*player);
        for (const auto& bytes : held.items) {
            if (left.items.count(bytes) < held.items.count(bytes)) {
                expected.items.erase(expected.items.find(bytes));
                return;
            }
        }
    }

    TestSupport::Relay relay;
};

enum class Meanwhile { Nothing, Dies, DropsAnItem, WorldSave, Reload, CommitFails, DropsThenCommitFails };

const char* Name(Meanwhile meanwhile) {
    switch (meanwhile) {
        case Meanwhile::Nothing: return "nothing";
        case Meanwhile::Dies: return "the player dies";
        case Meanwhile::DropsAnItem: return "the player drops an item";
        case Meanwhile::WorldSave: return "a world save";
        case Meanwhile::Reload: return "a reload";
        case Meanwhile::CommitFails: return "the COMMIT fails";
        case Meanwhile::DropsThenCommitFails: return "the player drops an item, then the COMMIT fails";
    }
    return "?";
}

TEST_F(StoreThread, EveryItemIsInOnePlaceWhateverHappensWhileAMoveIsInFlight) {
    Start();
    int fresh = 0;
    for (const bool load : {false, true}) {
        for (const Meanwhile meanwhile : {Meanwhile::Nothing, Meanwhile::Dies, Meanwhile::DropsAnItem, Meanwhile::WorldSave,
                                          Meanwhile::Reload, Meanwhile::CommitFails, Meanwhile::DropsThenCommitFails}) {
            SCOPED_TRACE(std::string(load ? "load, " : "save, ") + Name(meanwhile));
            auto& player = Join("p" + std::to_string(++fresh));
            for (std::uint8_t i = 0; i < 3; ++i) player.PicksUp(Item("PrimalItem_WeaponStoneHatchet").Payload({i, 9}));
            player.PicksUp(Item("PrimalItemResource_Wood").Quantity(250));
            Holdings expected = HoldingsOf(player);
            if (load) {
                player.Types("/savevault base");
                FramesUntil([&] { return player->Inventory().empty(); });
            }

            const bool commitFails = meanwhile == Meanwhile::CommitFails || meanwhile == Meanwhile::DropsThenCommitFails;
            // Held before the COMMIT (a load has given its items by then), when the COMMIT is to fail.
            const std::string heldAt = !commitFails ? "COMMIT" : load ? "DELETE" : "INSERT";
            relay.ClearStatements();
            relay.HoldAt(heldAt);
            if (commitFails) {
                relay.DropBefore("COMMIT");
                ExpectErrorLog(load ? "MySql::SettleClaim" : "MySql::AddVaultRows");
            }
            const Strings told = player.Types(load ? "/loadvault base" : "/savevault base");
            EXPECT_EQ(told, Strings{}) << "the game thread went on without the outcome";
            if (!load) {
                EXPECT_EQ(player->Inventory().size(), 4u) << "a save's items stay until its COMMIT is known";
            }
            EXPECT_EQ(player.Types("/savevault other"), kInFlight);
            // The held statement reached the relay.
            FramesUntil([&] {
                const Strings sent = relay.Statements();
                return !sent.empty() && sent.back().starts_with(heldAt);
            });

            std::thread release([&] {
                std::this_thread::sleep_for(100ms);
                relay.Release();
            });
            switch (meanwhile) {
                case Meanwhile::Nothing:
                case Meanwhile::CommitFails: break;
                case Meanwhile::Dies: player->Kill(); break;
                case Meanwhile::DropsAnItem:
                case Meanwhile::DropsThenCommitFails: {
                    UPrimalItem* hatchet = nullptr;
                    for (UPrimalItem* item : player->InventoryComponent()->InventoryItemsField())
                        if (item->GetItemQuantity() == 1) hatchet = item;
                    ASSERT_NE(hatchet, nullptr);
                    Drops(player, hatchet, expected);
                    break;
                }
                case Meanwhile::WorldSave: server.SaveWorld(); break;  // waits for the move
                case Meanwhile::Reload: server.ReloadPlugin(); break;  // likewise
            }
            release.join();
            Settle(player);

            if (meanwhile == Meanwhile::DropsAnItem && !load) {
                // Taken at the outcome from what is left: its row went, the dropped one is nowhere.
                EXPECT_EQ(HoldingsOf(player).items.size(), 2u);
            }
            EXPECT_EQ(HoldingsOf(player), expected) << "every item in exactly one place";
            if (commitFails) {
                EXPECT_TRUE(player.WasTold(kUnavailable[0]));
            }
            if (meanwhile == Meanwhile::Dies) player->Revive();
        }
    }
}

// A save of many items takes them out of the inventory fifty a frame once its COMMIT is known;
// in between a world save waits for the rest, and an item dropped before its turn stays where it
// went while its row leaves the vault.
TEST_F(StoreThread, ALargeSaveLeavesTheInventoryOverFramesAndEachItemEndsInOnePlace) {
    Start();
    int fresh = 0;
    for (const bool drops : {false, true}) {
        SCOPED_TRACE(drops ? "an item dropped meanwhile" : "a world save meanwhile");
        auto& player = Join("many" + std::to_string(++fresh));
        for (int i = 0; i < 150; ++i)
            player.PicksUp(Item("PrimalItem_WeaponStoneHatchet")
                               .Payload({static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i >> 8), 7}));
        Holdings expected = HoldingsOf(player);
        EXPECT_EQ(player.Types("/savevault base"), Strings{});
        FramesUntil([&] { return player->Inventory().size() < 150; });
        ASSERT_EQ(player->Inventory().size(), 100u) << "fifty items left in one frame";
        if (drops) {
            Drops(player, player->InventoryComponent()->InventoryItemsField()[0], expected);
        } else {
            server.SaveWorld();
            EXPECT_TRUE(player->Inventory().empty()) << "the world is written without the saved items";
        }
        Settle(player);
        EXPECT_TRUE(player->Inventory().empty());
        EXPECT_EQ(HoldingsOf(player), expected) << "every item in exactly one place";
        EXPECT_EQ(Rows(player).size(), drops ? 149u : 150u);
    }
}

// An administrator's console read is answered once the store answered; over RCON the read stays on
// the game thread, answered before the handler returns, and a dark store gives up after
// queryTimeout instead of holding the frame longer.
TEST_F(StoreThread, AdministratorsAreAnsweredOnTheConsoleLaterAndOverRconAtOnce) {
    Start();
    auto& ann = Join("ann");
    auto& boss = Join("boss");
    ann.PicksUp(Item("PrimalItemResource_Wood").Quantity(20));
    ann.Types("/savevault base");
    FramesUntil([&] { return ann->Inventory().empty(); });
    const std::string label = "ann (" + std::to_string(ann->SteamId()) + ")";

    EXPECT_EQ(boss.Console("vaults ann"), Strings{}) << "the read is with the store thread";
    Strings told;
    FramesUntil([&] { return !(told = boss.Told()).empty(); });
    ASSERT_EQ(told.size(), 2u);
    EXPECT_EQ(told[0], "Vaults of " + label + ": 1");

    const Strings overRcon = server.Rcon("vaults ann");
    ASSERT_EQ(overRcon.size(), 1u);
    EXPECT_TRUE(overRcon[0].starts_with("Vaults of " + label + ": 1\n")) << overRcon[0];

    relay.SetBlackHole(true);
    relay.CutAll();
    ExpectErrorLog("MySql::ReadVaultList");
    EXPECT_EQ(server.Rcon("vaults ann"),
              std::vector<std::string>{"The vault store cannot be reached right now; see the server log."});
    relay.SetBlackHole(false);
}

// A database that never answers holds no command on the game thread: each is refused or handed
// over at once, and the player is told the store is unavailable when the store thread gives up.
TEST_F(StoreThread, ABlackHoledDatabaseHoldsNoCommand) {
    Start();
    auto& player = Join("ann");
    player.PicksUp(Item("PrimalItemResource_Wood").Quantity(10));
    relay.SetBlackHole(true);
    relay.CutAll();
    ExpectErrorLog("MySql::AddVaultRows");
    EXPECT_EQ(player.Types("/savevault base"), Strings{});
    EXPECT_EQ(player.Types("/listvault"), kInFlight) << "the save is still with the store thread";
    FramesUntil([&] { return player.WasTold(kUnavailable[0]); });
    EXPECT_EQ(player.Count("PrimalItemResource_Wood"), 10);
    relay.SetBlackHole(false);
}

}  // namespace
