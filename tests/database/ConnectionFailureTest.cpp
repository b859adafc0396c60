// A store whose server cannot be reached, goes away, or drops an idle connection.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "support/Relay.h"
#include "support/StoreEnvironment.h"
#include "support/ThrowawayServer.h"

namespace {

using StoreTest::AddItem;
using StoreTest::PeekItems;
using StoreTest::StoreTestBase;
using StoreTest::Wide;
using TestSupport::ThrowawayServer;

constexpr std::uint64_t kPlayer = 76561198000000009ull;

const std::vector<std::string> kOpenFailed = {
    "[Lockbury][critical] Failed to open connection! Check user/pass and port",
    "[Lockbury][critical] (Database/MysqlDB MySql::MySql) Failed to create u_vault table !",
    "[Lockbury][critical] (Database/DecaySchedule DecaySchedule::Prepare) Failed to drop event Vault_Decay!",
    "[Lockbury][critical] (Database/DecaySchedule DecaySchedule::Prepare) Failed to create event Vault_Decay!",
};

class StoreWithoutServerTest : public StoreTestBase {
protected:
    // Every operation reports failure, never an empty answer, and nothing escapes.
    void ExpectEveryOperationFails(MySql& store) {
        ClearLog();
        EXPECT_EQ(store
                      .AddVaultRows(kPlayer, Wide("v"),
                                    {VaultRow::Item(Wide("Item"), "00"), VaultRow::Resource(Wide("Wood"), Wide("bp"), 3)})
                      .settlement,
                  Settlement::RolledBack);
        const auto claimed = store.ClaimVaultItems(kPlayer, Wide("v"), 10);
        EXPECT_TRUE(claimed.failed);
        EXPECT_EQ(claimed.records.Num(), 0);
        EXPECT_FALSE(store.DeleteVaultRows({1}));
        EXPECT_TRUE(store.ReadVaultList(kPlayer).failed);
        EXPECT_TRUE(store.ReadVaultRows(kPlayer, Wide("v"), 10).failed);
        EXPECT_TRUE(store.ReadMoveLog(kPlayer, 10).failed);
        // Each failure is one error line naming the operation and why.
        const auto log = Log();
        const std::vector<std::string> operations{"AddVaultRows",  "ClaimVaultItems", "DeleteVaultRows",
                                                  "ReadVaultList", "ReadVaultRows",   "ReadMoveLog"};
        std::vector<std::string> failed;
        for (const auto& line : log) {
            const auto at = line.find("MySql::");
            if (line.rfind("[Lockbury][error]", 0) == 0 && at != std::string::npos &&
                line.find("The vault store failed: ") != std::string::npos)
                failed.push_back(line.substr(at + 7, line.find(')', at) - at - 7));
        }
        EXPECT_EQ(failed, operations);
        EXPECT_EQ(log.size(), operations.size()) << "and nothing else";
    }
};

TEST_F(StoreWithoutServerTest, WrongPassword) {
    TestSupport::ScratchDatabase scratch;
    auto params = scratch.Params();
    params.password = "wrong";
    auto store = OpenStore(params);
    EXPECT_EQ(Log(), kOpenFailed);
    ExpectEveryOperationFails(*store);
}

TEST_F(StoreWithoutServerTest, UnreachablePort) {
    auto params = TestSupport::ServerParams();
    params.database = "lockbury";
    params.port = ThrowawayServer::FreePort();
    auto store = OpenStore(params);
    EXPECT_EQ(Log(), kOpenFailed);
    ExpectEveryOperationFails(*store);
}

// A save's INSERT whose answer was lost ran on the server, in the save's transaction: the save
// fails, the INSERT is never sent again (outside the transaction it would store the row on its
// own), the server rolls the transaction back, and the next save gets a fresh connection.
TEST_F(StoreWithoutServerTest, StatementLostDuringItsRunIsNotSentTwice) {
    TestSupport::ScratchDatabase scratch;
    TestSupport::Relay relay(scratch.Params().port);
    auto params = scratch.Params();
    params.port = relay.Port();
    auto store = OpenStore(params);
    ASSERT_TRUE(Log().empty());
    const std::string insert = "INSERT INTO u_vault (";
    const auto inserts = [&] {
        const auto sent = relay.Statements();
        return std::count_if(sent.begin(), sent.end(), [&](const std::string& sql) { return sql.rfind(insert, 0) == 0; });
    };

    relay.CutAnswerOf(insert);
    EXPECT_FALSE(AddItem(*store, kPlayer, "v", "Item", "00"));
    EXPECT_FALSE(relay.Armed());
    std::this_thread::sleep_for(std::chrono::milliseconds(700));  // the relay closes the server's side
    EXPECT_EQ(inserts(), 1) << "it ran once, and was not sent again";
    EXPECT_EQ(scratch.Scalar("SELECT COUNT(*) FROM u_vault"), "0");
    EXPECT_EQ(scratch.Scalar("SELECT COUNT(*) FROM u_vault_log"), "0");

    EXPECT_TRUE(AddItem(*store, kPlayer, "v", "Item", "01"));
    EXPECT_EQ(inserts(), 2);
    const auto stored = PeekItems(*store, kPlayer, "v", 10);
    ASSERT_EQ(stored.records.Num(), 1);
    EXPECT_EQ(stored.records[0]->itemdata, "01");
}

// One server of the suite's own, which the tests stop, kill and reconfigure.
class StoreHealingTest : public StoreTest::SuiteWithItsOwnServer<StoreHealingTest> {
protected:
    void SetUp() override {
        SuiteWithItsOwnServer::SetUp();
        if (HasFatalFailure()) return;
        static int n = 0;
        database = "heal_" + std::to_string(n++);
        params = server->Params(database);
    }
    // Read through a connection of the test's own.
    int Rows() { return std::stoi(TestSupport::ScalarAt(params, "SELECT COUNT(*) FROM u_vault")); }

    std::string database;
    TestSupport::DbParams params;
};

TEST_F(StoreHealingTest, ServerRestartedBetweenOperations) {
    auto store = OpenStore(params);
    ASSERT_TRUE(Log().empty());
    ASSERT_TRUE(AddItem(*store, kPlayer, "v", "Item", "00"));
    server->Stop();
    server->Start();
    const bool first = AddItem(*store, kPlayer, "v", "Item", "01");  // may fail
    EXPECT_TRUE(AddItem(*store, kPlayer, "v", "Item", "02"));
    EXPECT_EQ(PeekItems(*store, kPlayer, "v", 10).records.Num(), first ? 3 : 2);
    EXPECT_EQ(Rows(), first ? 3 : 2) << "nothing was stored twice";
}

TEST_F(StoreHealingTest, ServerCrashedAndStartedAgain) {
    auto store = OpenStore(params);
    ASSERT_TRUE(AddItem(*store, kPlayer, "v", "Item", "00"));
    server->Kill();
    EXPECT_FALSE(AddItem(*store, kPlayer, "v", "Item", "01")) << "the server is down";
    EXPECT_TRUE(store->ReadVaultList(kPlayer).failed);
    server->Start();
    const auto list = store->ReadVaultList(kPlayer);
    EXPECT_FALSE(list.failed);
    EXPECT_EQ(list.records.Num(), 1);
    EXPECT_TRUE(AddItem(*store, kPlayer, "v", "Item", "02"));
    EXPECT_EQ(Rows(), 2);
}

// The first statement after the server's idle time-out finds the connection gone before it wrote
// anything (a read, or the START TRANSACTION), so it is sent again at once on a new one.
TEST_F(StoreHealingTest, IdleConnectionDroppedByTheServer) {
    server->Exec("SET GLOBAL wait_timeout = 2");
    auto store = OpenStore(params);  // a new session takes the global time-out
    server->Exec("SET GLOBAL wait_timeout = 28800");
    std::this_thread::sleep_for(std::chrono::seconds(3));
    EXPECT_TRUE(AddItem(*store, kPlayer, "v", "Item", "00"));
    EXPECT_EQ(Rows(), 1) << "stored once";

    server->Exec("SET GLOBAL wait_timeout = 2");
    store = OpenStore(params);
    server->Exec("SET GLOBAL wait_timeout = 28800");
    std::this_thread::sleep_for(std::chrono::seconds(3));
    const auto claimed = PeekItems(*store, kPlayer, "v", 10);
    EXPECT_FALSE(claimed.failed);
    EXPECT_EQ(claimed.records.Num(), 1);
}

// A store made while the server was down opens its connection at the next statement.
TEST_F(StoreHealingTest, FailedOpenAtLoadIsRetriedByTheNextStatement) {
    OpenStore(params);  // the table, from an earlier load
    server->Stop();
    ClearLog();
    auto store = OpenStore(params);
    EXPECT_EQ(Log(), kOpenFailed);
    EXPECT_FALSE(AddItem(*store, kPlayer, "v", "Item", "00"));
    server->Start();
    EXPECT_TRUE(AddItem(*store, kPlayer, "v", "Item", "01"));
    EXPECT_EQ(PeekItems(*store, kPlayer, "v", 10).records.Num(), 1);
}

}  // namespace
