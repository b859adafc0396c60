// A store whose server cannot be reached, goes away, or drops an idle connection.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "StoreEnvironment.h"
#include "support/Relay.h"
#include "support/ThrowawayServer.h"

namespace {

using StoreTest::StoreTestBase;
using StoreTest::Wide;
using TestSupport::ThrowawayServer;

constexpr std::uint64_t kPlayer = 76561198000000009ull;

const std::vector<std::string> kOpenFailed = {
    "[Lockbury][critical] Failed to open connection! Check user/pass and port",
    "[Lockbury][critical] (Database/MysqlDB MySql::MySql) Failed to create u_vault table !",
    "[Lockbury][critical] (Database/MysqlDB MySql::MySql) Failed to drop event Vault_Decay!",
    "[Lockbury][critical] (Database/MysqlDB MySql::MySql) Failed to create event Vault_Decay!",
};

class StoreWithoutServerTest : public StoreTestBase {
protected:
    // Every operation reports failure and nothing escapes.
    void ExpectEveryOperationFails(MySql& store) {
        ClearLog();
        EXPECT_FALSE(store.AddVaultItem(kPlayer, Wide("v"), Wide("Item"), "00"));
        EXPECT_FALSE(store.AddVaultResource(kPlayer, Wide("v"), Wide("Wood"), Wide("bp"), 3));
        EXPECT_EQ(store.GetVaultItems(kPlayer, Wide("v"), 10).Num(), 0);
        EXPECT_FALSE(store.DeleteVaultItem(1));
        EXPECT_EQ(store.ListVault(kPlayer).Num(), 0);
        // Each failure is one error line naming the operation and why.
        const auto log = Log();
        const std::vector<std::string> operations{"AddVaultItem", "AddVaultResource", "GetVaultItems", "DeleteVaultItem",
                                                  "ReadVaultList"};
        std::vector<std::string> failed;
        for (const auto& line : log) {
            const auto at = line.find("MySql::");
            if (line.rfind("[Lockbury][error]", 0) == 0 && at != std::string::npos &&
                line.find("The vault store failed: ") != std::string::npos)
                failed.push_back(line.substr(at + 7, line.find(')', at) - at - 7));
        }
        EXPECT_EQ(failed, operations);
        EXPECT_EQ(log.size(), operations.size() + 1) << "and the read's timing line";
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

// A statement whose answer was lost may have run on the server: it is reported as failed and
// never sent again; the next statement gets a fresh connection.
TEST_F(StoreWithoutServerTest, StatementLostDuringItsRunIsNotSentTwice) {
    TestSupport::ScratchDatabase scratch;
    TestSupport::Relay relay(scratch.Params().port);
    auto params = scratch.Params();
    params.port = relay.Port();
    auto store = OpenStore(params);
    ASSERT_TRUE(Log().empty());

    relay.CutAnswerOf("");
    EXPECT_FALSE(store->AddVaultItem(kPlayer, Wide("v"), Wide("Item"), "00"));
    std::string rows;
    for (int i = 0; i < 40 && rows != "1"; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        rows = scratch.Scalar("SELECT COUNT(*) FROM u_vault");
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(scratch.Scalar("SELECT COUNT(*) FROM u_vault"), "1") << "it ran once, and was not sent again";

    EXPECT_TRUE(store->AddVaultItem(kPlayer, Wide("v"), Wide("Item"), "01"));
    EXPECT_EQ(store->GetVaultItems(kPlayer, Wide("v"), 10).Num(), 2);
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
    ASSERT_TRUE(store->AddVaultItem(kPlayer, Wide("v"), Wide("Item"), "00"));
    server->Stop();
    server->Start();
    const bool first = store->AddVaultItem(kPlayer, Wide("v"), Wide("Item"), "01");  // may fail
    EXPECT_TRUE(store->AddVaultItem(kPlayer, Wide("v"), Wide("Item"), "02"));
    EXPECT_EQ(store->GetVaultItems(kPlayer, Wide("v"), 10).Num(), first ? 3 : 2);
    EXPECT_EQ(Rows(), first ? 3 : 2) << "nothing was stored twice";
}

TEST_F(StoreHealingTest, ServerCrashedAndStartedAgain) {
    auto store = OpenStore(params);
    ASSERT_TRUE(store->AddVaultItem(kPlayer, Wide("v"), Wide("Item"), "00"));
    server->Kill();
    EXPECT_FALSE(store->AddVaultItem(kPlayer, Wide("v"), Wide("Item"), "01")) << "the server is down";
    EXPECT_EQ(store->ListVault(kPlayer).Num(), 0);
    server->Start();
    EXPECT_EQ(store->ListVault(kPlayer).Num(), 1);
    EXPECT_TRUE(store->AddVaultItem(kPlayer, Wide("v"), Wide("Item"), "02"));
    EXPECT_EQ(Rows(), 2);
}

// The statement after the server's idle time-out never reached it, so it is sent again at once.
TEST_F(StoreHealingTest, IdleConnectionDroppedByTheServer) {
    server->Exec("SET GLOBAL wait_timeout = 2");
    auto store = OpenStore(params);  // a new session takes the global time-out
    server->Exec("SET GLOBAL wait_timeout = 28800");
    std::this_thread::sleep_for(std::chrono::seconds(3));
    EXPECT_TRUE(store->AddVaultItem(kPlayer, Wide("v"), Wide("Item"), "00"));
    EXPECT_EQ(Rows(), 1) << "sent once more, stored once";

    server->Exec("SET GLOBAL wait_timeout = 2");
    store = OpenStore(params);
    server->Exec("SET GLOBAL wait_timeout = 28800");
    std::this_thread::sleep_for(std::chrono::seconds(3));
    EXPECT_EQ(store->GetVaultItems(kPlayer, Wide("v"), 10).Num(), 1);
}

// A store made while the server was down opens its connection at the next statement.
TEST_F(StoreHealingTest, FailedOpenAtLoadIsRetriedByTheNextStatement) {
    OpenStore(params);  // the table, from an earlier load
    server->Stop();
    ClearLog();
    auto store = OpenStore(params);
    EXPECT_EQ(Log(), kOpenFailed);
    EXPECT_FALSE(store->AddVaultItem(kPlayer, Wide("v"), Wide("Item"), "00"));
    server->Start();
    EXPECT_TRUE(store->AddVaultItem(kPlayer, Wide("v"), Wide("Item"), "01"));
    EXPECT_EQ(store->GetVaultItems(kPlayer, Wide("v"), 10).Num(), 1);
}

}  // namespace
