// The database failing in the middle of a save or a load, at each of its statements, through a
// relay that loses the answer of that exact statement, drops the connection before it, or stalls
// after it. Whatever happens, every item ends in exactly one place, and a player whose move did
// not happen is told the store failed.
#include <thread>

#include "support/PluginTest.h"
#include "support/Relay.h"
#include "support/TestConfig.h"
#include "support/ThrowawayServer.h"

namespace {

using TestSupport::Holdings;
using TestSupport::Item;
using TestSupport::Player;
using TestSupport::StoredRow;
using TestSupport::Strings;
const Strings kUnavailable{"Store unavailable"};
// The error line of a move that failed because its connection was lost, by the store's step.
std::string LostIn(const std::string& function) {
    return "(Database/MysqlDB MySql::" + function + ") The vault store failed: Lost connection to server during query";
}

class StoreFaults : public TestSupport::PluginStoreTest {
protected:
    StoreFaults() : relay(db.Params().port) {
        config["mysqlPort"] = relay.Port();
        config["queryTimeout"] = 1;
        config["reconnectTimeout"] = 1;
        config["reconnectInterval"] = 0;
        config["messages"]["vaultList"] = "{}: {} items\n";
    }

    // Three items and 250 wood: a load into five free places gives the items and two stacks of
    // wood, and keeps 50 wood in the row.
    Holdings GiveBelongings(Player& player) {
        for (std::uint8_t i = 0; i < 3; ++i) player.PicksUp(Item("PrimalItem_WeaponStoneHatchet").Payload({i, 7}));
        player.PicksUp(Item("PrimalItemResource_Wood").Quantity(250));
        return HoldingsOf(player);
    }
    // A player with nothing in the vaults yet, one for each case of a test.
    Player& Fresh() { return Join("p" + std::to_string(++fresh_)); }

    TestSupport::Relay relay;

private:
    int fresh_ = 0;
};

enum class Fault { LoseAnswer, DropBefore };

void Arm(TestSupport::Relay& relay, Fault fault, const std::string& statement) {
    if (fault == Fault::LoseAnswer) {
        relay.CutAnswerOf(statement);
    } else {
        relay.DropBefore(statement);
    }
}

TEST_F(StoreFaults, SaveFailingAtEachStatementMovesEveryItemOnce) {
    Start();
    struct Case {
        const char* statement;
        Fault fault;
        bool stored;
    };
    // Reading and opening the transaction are sent again on a fresh connection; the rows never
    // are; a lost COMMIT answer is settled by asking the database. The first save of a
    // connection reads its packet limit, so that case comes first.
    const Case cases[] = {
        {"SELECT @@max_allowed_packet", Fault::LoseAnswer, true},
        {"START TRANSACTION", Fault::LoseAnswer, true},
        {"START TRANSACTION", Fault::DropBefore, true},
        {"INSERT", Fault::LoseAnswer, false},
        {"INSERT", Fault::DropBefore, false},
        {"COMMIT", Fault::LoseAnswer, true},
        {"COMMIT", Fault::DropBefore, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.statement) + (c.fault == Fault::LoseAnswer ? ", answer lost" : ", dropped"));
        auto& player = Fresh();
        const Holdings before = GiveBelongings(player);
        Arm(relay, c.fault, c.statement);
        if (!c.stored) ExpectErrorLog(LostIn("AddVaultRows"));

        const auto told = player.Types("/savevault base");

        EXPECT_FALSE(relay.Armed()) << "the fault happened";
        EXPECT_EQ(HoldingsOf(player), before) << "every item in exactly one place";
        EXPECT_EQ(player->Inventory().empty(), c.stored);
        EXPECT_EQ(Rows(player).empty(), !c.stored);
        EXPECT_EQ(told, c.stored ? Strings{} : kUnavailable);
    }
}

TEST_F(StoreFaults, LoadFailingAtEachStatementMovesEveryItemOnce) {
    Start();
    struct Case {
        const char* statement;
        Fault fault;
        bool loaded;
    };
    const Case cases[] = {
        {"START TRANSACTION", Fault::LoseAnswer, true}, {"SELECT id", Fault::LoseAnswer, false},
        {"SELECT id", Fault::DropBefore, false},        {"SELECT id, itemdata", Fault::LoseAnswer, false},
        {"DELETE", Fault::LoseAnswer, false},           {"DELETE", Fault::DropBefore, false},
        {"UPDATE", Fault::LoseAnswer, false},           {"COMMIT", Fault::LoseAnswer, true},
        {"COMMIT", Fault::DropBefore, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.statement) + (c.fault == Fault::LoseAnswer ? ", answer lost" : ", dropped"));
        auto& player = Fresh();
        const Holdings before = GiveBelongings(player);
        ASSERT_EQ(player.Types("/savevault base"), Strings{});
        player->SetInventoryCapacity(5);
        relay.ClearStatements();
        Arm(relay, c.fault, c.statement);
        // The claim's read fails in its own step; every statement after it, in settling the claim.
        if (!c.loaded)
            ExpectErrorLog(LostIn(std::string(c.statement).starts_with("SELECT id") ? "ClaimVaultItems" : "SettleClaim"));

        const auto told = player.Types("/loadvault base");

        EXPECT_FALSE(relay.Armed()) << "the fault happened";
        EXPECT_EQ(HoldingsOf(player), before) << "every item in exactly one place";
        if (c.loaded) {
            EXPECT_EQ(told, Strings{});
            EXPECT_EQ(player->Inventory().size(), 5u);
            ASSERT_EQ(Rows(player).size(), 1u);
            EXPECT_EQ(Rows(player)[0].qtd, "50") << "the wood that did not fit stays";
        } else {
            EXPECT_EQ(told, kUnavailable);
            EXPECT_TRUE(player->Inventory().empty()) << "what was given was taken back";
            EXPECT_EQ(Rows(player).size(), 4u);
        }
    }
    // Without a fault, a load is a handful of statements whatever it gives.
    auto& player = Fresh();
    GiveBelongings(player);
    player.Types("/savevault base");
    player->SetInventoryCapacity(5);
    relay.ClearStatements();
    player.Types("/loadvault base");
    EXPECT_EQ(relay.Statements().size(), 8u)
        << "START, SELECT ids, SELECT rows, move record, its items, DELETE, UPDATE, COMMIT";
}

// A database that stops answering in the middle of a move: the game thread waits one query
// time-out, and the outcome is the one the database settles on. A statement held after it
// reached the server has run; the COMMIT held is the move done, anything before it is undone.
TEST_F(StoreFaults, MoveStalledBeforeOrAtItsCommit) {
    Start();
    for (const char* command : {"/savevault base", "/loadvault base"}) {
        for (const char* statement : {"INSERT", "DELETE", "COMMIT"}) {
            const bool save = command[1] == 's';
            if (std::string(statement) == (save ? "DELETE" : "INSERT")) continue;  // a save has no DELETE, a load no INSERT
            SCOPED_TRACE(std::string(command) + " held at " + statement);
            auto& player = Fresh();
            const Holdings before = GiveBelongings(player);
            if (!save) {
                ASSERT_EQ(player.Types("/savevault base"), Strings{});
            }
            relay.HoldAt(statement);
            const bool moved = std::string(statement) == "COMMIT";
            if (!moved) ExpectErrorLog(LostIn(save ? "AddVaultRows" : "SettleClaim"));

            const auto told = player.Types(command);
            relay.Release();

            EXPECT_FALSE(relay.Armed());
            EXPECT_EQ(told, moved ? Strings{} : kUnavailable);
            EXPECT_EQ(HoldingsOf(player), before);
            EXPECT_EQ(player->Inventory().empty(), save == moved);
        }
    }
}

// The COMMIT's answer is lost and the database cannot be asked afterwards (the question is
// dropped too): the items stay where the player has them, possibly doubled but never lost, and
// one error line names the rows for the administrator.
TEST_F(StoreFaults, CommitThatCannotBeSettledKeepsTheItemsAndNamesTheRows) {
    Start();
    auto& player = Fresh();
    const Holdings before = GiveBelongings(player);
    ASSERT_EQ(player.Types("/savevault base"), Strings{});
    // The ids the database gave (on a Galera cluster they step by the number of nodes).
    const auto ids = [&](const std::string& vault) {
        std::string list;
        for (const auto& row : Rows(player, vault)) list += (list.empty() ? "" : ",") + row.id;
        return list;
    };
    const std::string saved = ids("base");
    relay.CutAnswerOf("COMMIT");
    relay.DropBefore("KILL");
    server.ClearLog();
    ExpectErrorLog(LostIn("SettleClaim"));
    ExpectErrorLog("(Database/MysqlDB MySql::SettleClaim) Load of vault rows " + saved + " may or may not be settled");
    EXPECT_EQ(player.Types("/loadvault base"), Strings{});
    EXPECT_FALSE(relay.Armed());
    EXPECT_EQ(HoldingsOf(player), before) << "the load did happen: nothing doubled";
    EXPECT_EQ(LogLinesContaining("Load of vault rows " + saved + " may or may not be settled"), 1) << saved;

    relay.CutAnswerOf("COMMIT");
    relay.DropBefore("KILL");
    server.ClearLog();
    ExpectErrorLog(LostIn("AddVaultRows"));
    ExpectErrorLog("(Database/MysqlDB MySql::AddVaultRows) Save of vault rows ");
    EXPECT_EQ(player.Types("/savevault again"), kUnavailable);
    EXPECT_EQ(player.Classes().size(), 6u) << "every item stays (the wood came back as three stacks)";
    EXPECT_EQ(Rows(player, "again").size(), 6u) << "and is stored: doubled, not lost";
    EXPECT_EQ(LogLinesContaining("Save of vault rows " + ids("again") + " may or may not be stored"), 1) << ids("again");
}

// The COMMIT's answer is lost, and before the store asks whether it went through, another server
// loads the saved rows (a player fast on two servers, an administrator's take). The save is
// still settled as stored by its own move record: the items leave the inventory once and are on
// the other server only, nothing doubled.
TEST_F(StoreFaults, LostCommitIsSettledByTheMovesOwnRecordWhenItsRowsWentElsewhere) {
    Start();
    auto& player = Fresh();
    const Holdings before = GiveBelongings(player);
    relay.CutAnswerOf("COMMIT");
    relay.HoldAt("KILL");  // the new connection is made; the question is not asked yet
    std::vector<StoredRow> elsewhere;
    std::thread otherServer([&] {
        for (int i = 0; i < 500 && relay.Armed(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        elsewhere = Rows(player);
        db.Exec("DELETE FROM u_vault WHERE steamid = " + std::to_string(player->SteamId()));
        relay.Release();
    });
    const auto told = player.Types("/savevault base");
    otherServer.join();

    EXPECT_FALSE(relay.Armed()) << "the fault happened";
    EXPECT_EQ(told, Strings{}) << "stored";
    EXPECT_TRUE(player->Inventory().empty()) << "the items left the inventory";
    EXPECT_FALSE(elsewhere.empty());
    EXPECT_EQ(Holdings::InRows(elsewhere), before) << "every item on the other server, once";
    EXPECT_TRUE(Rows(player).empty());
}

// A host that accepts connections and never answers: every vault command says the store failed,
// moves nothing, and the store is used again once the database is back.
TEST_F(StoreFaults, DatabaseThatNeverAnswers) {
    Start();
    auto& player = Fresh();
    GiveBelongings(player);
    player.Types("/savevault base");
    player.PicksUp(Item("PrimalItemArmor_ClothShirt").Payload({42}));
    const Holdings withShirt = HoldingsOf(player);

    relay.SetBlackHole(true);
    relay.CutAll();
    for (const char* function : {"AddVaultRows", "ClaimVaultItems", "ReadVaultList"})
        ExpectErrorLog(std::string("(Database/MysqlDB MySql::") + function + ") The vault store failed: cannot connect: ");
    EXPECT_EQ(player.Types("/savevault other"), kUnavailable);
    EXPECT_EQ(player.Types("/loadvault base"), kUnavailable);
    EXPECT_EQ(player.Types("/listvault"), kUnavailable) << "never \"No vaults\"";
    EXPECT_EQ(player.Classes(), Strings{"PrimalItemArmor_ClothShirt"});

    relay.SetBlackHole(false);
    EXPECT_EQ(player.Types("/listvault"), Strings{"base: 4 items\n"});
    EXPECT_EQ(player.Types("/loadvault base"), Strings{});
    EXPECT_EQ(HoldingsOf(player), withShirt);
    EXPECT_TRUE(Rows(player).empty());
}

// The database restarted between two commands: the first command after it works.
TEST(StoreRestart, FirstCommandAfterARestartWorks) {
    TestSupport::ThrowawayServer dbServer;
    TestSupport::PluginServer server;
    auto config = TestSupport::DefaultConfig(dbServer.Params("restart"));
    config["messages"]["vaultList"] = "{}: {} items\n";
    server.WriteConfig(config);
    server.Load();
    auto& player = server.Join("ann", 76561198000000001ULL);
    Sim::ItemSpec wood;
    wood.className = "PrimalItemResource_Wood";
    wood.quantity = 30;
    server.Give(player, wood);
    ASSERT_TRUE(server.Chat(player, "/savevault base"));
    ASSERT_TRUE(player.Inventory().empty());

    for (const char* how : {"stopped", "killed"}) {
        SCOPED_TRACE(how);
        if (std::string(how) == "stopped") {
            dbServer.Stop();
        } else {
            dbServer.Kill();
        }
        dbServer.Start();
        player.ClearReceived();
        ASSERT_TRUE(server.Chat(player, "/listvault"));
        EXPECT_EQ(TestSupport::Texts(player), Strings{"base: 1 items\n"});
    }
    player.ClearReceived();
    ASSERT_TRUE(server.Chat(player, "/loadvault base"));
    EXPECT_EQ(TestSupport::Texts(player), Strings{});
    ASSERT_EQ(player.Inventory().size(), 1u);
    EXPECT_EQ(player.Inventory()[0].quantity, 30);
}

}  // namespace
