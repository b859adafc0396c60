// The tests' fault-injecting relay, checked against the test server: what it counts and what each
// fault does to the statement it was armed for.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "Database/Mysql/Connection.h"
#include "Database/Mysql/ErrorCodes.h"
#include "support/Relay.h"
#include "support/TestDatabase.h"

namespace {

using namespace std::chrono_literals;
using ledra::mysql::connection;
using ledra::mysql::connection_options;

class RelayTest : public ::testing::Test {
protected:
    void SetUp() override { scratch.Exec("CREATE TABLE t (n INT)"); }

    std::unique_ptr<connection> Open(std::uint32_t connectTimeout = 30) {
        connection_options o;
        o.host = scratch.Params().host;
        o.user = scratch.Params().user;
        o.password = scratch.Params().password;
        o.database = scratch.Params().database;
        o.port = static_cast<std::uint32_t>(relay.Port());
        o.connect_timeout = connectTimeout;
        auto c = std::make_unique<connection>();
        return c->open(o) ? std::move(c) : nullptr;
    }
    // Rows with this value, once the count is reached or after two seconds.
    int RowsOf(int n, int awaited) {
        int rows = -1;
        for (int i = 0; i < 40 && rows != awaited; ++i, std::this_thread::sleep_for(50ms))
            rows = std::stoi(scratch.Scalar("SELECT COUNT(*) FROM t WHERE n = " + std::to_string(n)));
        return rows;
    }

    TestSupport::ScratchDatabase scratch;
    TestSupport::Relay relay{scratch.Params().port};
};

TEST_F(RelayTest, CountsWhatReachesTheServerAndFaultsHitOnlyTheirStatement) {
    auto c = Open();
    ASSERT_TRUE(c);
    // Larger than one read of the relay, so the packet is put together from several.
    const std::string big = "SELECT '" + std::string(200000, 'x') + "'";
    EXPECT_TRUE(c->query("INSERT INTO t VALUES (1)").succeeded());
    EXPECT_TRUE(c->query(big).succeeded());

    relay.DropBefore("INSERT INTO t VALUES (3)");
    EXPECT_TRUE(c->query("INSERT INTO t VALUES (30)").succeeded()) << "the prefix is matched whole";
    EXPECT_FALSE(c->query("INSERT INTO t VALUES (3)").succeeded());
    EXPECT_TRUE(ledra::mysql::errors::is_connection_lost(c->last_error())) << c->last_error();
    EXPECT_FALSE(relay.Armed());

    c = Open();
    ASSERT_TRUE(c);
    relay.CutAnswerOf("INSERT INTO t VALUES (2)");
    EXPECT_TRUE(c->query("insert into t values (2)").succeeded()) << "the prefix is matched case and all";
    EXPECT_FALSE(c->query("INSERT INTO t VALUES (2)").succeeded());
    EXPECT_EQ(c->last_error(), ledra::mysql::errors::server_lost);
    EXPECT_FALSE(relay.Armed());
    EXPECT_EQ(RowsOf(2, 2), 2) << "the statement whose answer was lost ran once";
    EXPECT_EQ(RowsOf(3, 0), 0) << "the dropped statement never ran";

    EXPECT_EQ(relay.Statements(),
              (std::vector<std::string>{"INSERT INTO t VALUES (1)", big.substr(0, 200), "INSERT INTO t VALUES (30)",
                                        "insert into t values (2)", "INSERT INTO t VALUES (2)"}));
    relay.ClearStatements();
    EXPECT_EQ(relay.StatementCount(), 0);
}

TEST_F(RelayTest, HeldConnectionGoesOnAfterReleaseAndBlackHoleNeverAnswers) {
    auto c = Open();
    ASSERT_TRUE(c);
    ASSERT_TRUE(c->query("INSERT INTO t VALUES (1)").succeeded());
    relay.HoldAt("UPDATE");
    auto held = std::async(std::launch::async, [&] { return c->query("UPDATE t SET n = 4 WHERE n = 1").succeeded(); });
    EXPECT_EQ(RowsOf(4, 1), 1) << "the held statement reached the server";
    auto other = Open();
    EXPECT_TRUE(other && other->query("SELECT 1").succeeded()) << "only the held connection stalls";
    EXPECT_EQ(held.wait_for(300ms), std::future_status::timeout) << "its answer is held back";
    relay.Release();
    if (held.wait_for(5s) != std::future_status::ready) relay.CutAll();  // fail rather than hang
    EXPECT_TRUE(held.get());
    EXPECT_TRUE(c->query("SELECT 1").succeeded()) << "the connection goes on";
    EXPECT_EQ(relay.StatementCount(), 4);

    relay.CutAll();
    EXPECT_FALSE(c->query("SELECT 1").succeeded());
    EXPECT_FALSE(other && other->query("SELECT 1").succeeded());

    relay.SetBlackHole(true);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(Open(1));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 900ms) << "accepted, then left unanswered";
    relay.SetBlackHole(false);
    EXPECT_TRUE(Open());
}

}  // namespace
