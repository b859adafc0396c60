// Decay at cluster scale: the event's batched, indexed condition deletes exactly the rows the
// first version's did; a load adds the index once and leaves a matching event (and its schedule)
// alone; and a load whose rows another session holds is refused within a second, losing nothing.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <stdexcept>
#include <string>

#include "Database/DecaySchedule.h"
#include "Database/Mysql/Connection.h"
#include "support/StoreEnvironment.h"

namespace {

using StoreTest::StoreTestBase;
using StoreTest::Wide;

constexpr std::uint64_t kPlayer = 76561198000000015ull;
constexpr std::int64_t kNow = 1700000000;  // the session's frozen clock

// The condition the first version's event used, word for word.
std::string OldCondition(int decay) {
    return "(((UNIX_TIMESTAMP() - (dtinsert)) - (60 * " + std::to_string(decay) + ")) * -1) < 0";
}

// A session of the test's own, kept open: a clock set for it, or a transaction held across calls.
class Session {
public:
    explicit Session(const TestSupport::DbParams& p) {
        if (!db_.open(TestSupport::OptionsOf(p))) throw std::runtime_error("cannot connect: " + db_.last_error_text());
    }
    void Exec(const std::string& sql) {
        if (!db_.query(sql).succeeded()) throw std::runtime_error(db_.last_error_text() + " in: " + sql);
    }
    // The rows' first column joined with commas ("" for none).
    std::string Column(const std::string& sql) {
        auto rows = db_.query(sql);
        if (!rows.succeeded()) throw std::runtime_error(db_.last_error_text() + " in: " + sql);
        std::string out;
        for (; !rows.at_end(); rows.next()) {
            std::string value = "NULL";
            rows.get(0, value);
            out += (out.empty() ? "" : ",") + value;
        }
        return out;
    }
    unsigned long Id() const { return db_.session_id(); }

private:
    ledra::mysql::connection db_;
};

class DecayTest : public StoreTestBase {
protected:
    std::string Indexes() {
        return scratch.Scalar(
            "SELECT COUNT(*) FROM information_schema.STATISTICS WHERE TABLE_SCHEMA = DATABASE() AND "
            "TABLE_NAME = 'u_vault' AND COLUMN_NAME = 'dtinsert'");
    }
    std::string Event(const std::string& column) {
        return scratch.Scalar("SELECT " + column +
                              " FROM information_schema.EVENTS WHERE EVENT_SCHEMA = DATABASE() AND EVENT_NAME = "
                              "'Vault_Decay'");
    }
    TestSupport::ScratchDatabase scratch;
};

// For every decay, the edge values of an INT and NULL: the old text and the new condition agree
// row by row, and a run of the event's batched body leaves exactly the rows the old DELETE would.
TEST_F(DecayTest, TheBatchedRunDeletesExactlyTheRowsOfTheOldCondition) {
    OpenStore(scratch.Params());
    Session session(scratch.Params());
    session.Exec("SET timestamp = " + std::to_string(kNow));
    for (const int decay : {1, 60, 5256000}) {
        SCOPED_TRACE(decay);
        session.Exec("DELETE FROM u_vault");
        const std::int64_t edge = kNow - 60LL * decay;
        std::string values = "(NULL),(0),(-1),(-2147483648),(2147483647)";
        for (const std::int64_t at : {edge - 1, edge, edge + 1, kNow - 1, kNow, kNow + 1})
            values += ",(" + std::to_string(at) + ")";
        session.Exec("INSERT INTO u_vault (dtinsert) VALUES " + values);
        // More due rows than one batch takes, so the run must loop.
        session.Exec("INSERT INTO u_vault (dtinsert) SELECT " + std::to_string(edge - 1) + " - seq FROM seq_1_to_2500");

        const std::string neu = DecaySchedule::DueCondition(decay), old = OldCondition(decay);
        EXPECT_EQ(session.Column("SELECT COUNT(*) FROM u_vault WHERE IFNULL(" + old + ", 0) <> IFNULL(" + neu + ", 0)"),
                  "0");
        EXPECT_EQ(session.Column("SELECT COUNT(*) FROM u_vault WHERE " + old), "2504")
            << "0, -1, INT_MIN, one second past due, and the 2500";
        const std::string kept =
            session.Column("SELECT dtinsert FROM u_vault WHERE NOT IFNULL(" + old + ", 0) ORDER BY dtinsert");
        EXPECT_EQ(kept, "NULL," + std::to_string(edge) + "," + std::to_string(edge + 1) + "," + std::to_string(kNow - 1) +
                            "," + std::to_string(kNow) + "," + std::to_string(kNow + 1) + ",2147483647");

        session.Exec(DecaySchedule::RunNow(decay));
        EXPECT_EQ(session.Column("SELECT dtinsert FROM u_vault ORDER BY dtinsert"), kept);
    }
}

// An existing table of the first version, with its rows and its event: the first load adds the
// index (rows kept) and replaces the event, starting it one interval later; the second changes
// neither; a changed decay replaces the event again.
TEST_F(DecayTest, LoadsAddTheIndexOnceAndReplaceTheEventOnlyWhenItDiffers) {
    scratch.Exec(
        "CREATE TABLE u_vault (id INT NOT NULL AUTO_INCREMENT,steamid BIGINT(11) NOT NULL DEFAULT 0,vaultname "
        "varchar(400),itemname varchar(400),itemdata MEDIUMTEXT,blueprint varchar(400),qtd int DEFAULT NULL,dtinsert "
        "int,PRIMARY KEY(Id),KEY `p1` (`steamid`),KEY `p2` (`vaultname`),KEY `p3` (`steamid`,`itemname`))");
    // One row due since an hour, one fresh: a run at load would take the first.
    scratch.Exec(
        "INSERT INTO u_vault (steamid, vaultname, dtinsert) VALUES (1, 'due', UNIX_TIMESTAMP() - 7200), (1, "
        "'fresh', UNIX_TIMESTAMP())");
    scratch.Exec(
        "CREATE EVENT Vault_Decay ON SCHEDULE EVERY 5 MINUTE STARTS CURRENT_TIMESTAMP + INTERVAL 1 HOUR DO "
        "DELETE FROM u_vault WHERE  " +
        OldCondition(60));

    OpenStore(scratch.Params());
    EXPECT_EQ(Indexes(), "1");
    EXPECT_EQ(DecaySchedule::DecayOf(Event("EVENT_DEFINITION")), 60);
    EXPECT_NE(Event("EVENT_DEFINITION").find("ORDER BY dtinsert LIMIT 100"), std::string::npos) << "deleted in batches";
    EXPECT_EQ(Event("CONCAT(INTERVAL_VALUE, ' ', INTERVAL_FIELD, ' ', STATUS)"), "5 MINUTE ENABLED");
    EXPECT_EQ(Event("STARTS > NOW() + INTERVAL 4 MINUTE"), "1") << "the new event does not run at load";
    EXPECT_TRUE(Log().empty());

    scratch.Exec("ALTER EVENT Vault_Decay COMMENT 'as made by the first load'");  // a replaced event loses it
    OpenStore(scratch.Params());
    EXPECT_EQ(Indexes(), "1");
    EXPECT_EQ(Event("EVENT_COMMENT"), "as made by the first load");
    EXPECT_EQ(scratch.Scalar("SELECT GROUP_CONCAT(vaultname ORDER BY id) FROM u_vault"), "due,fresh");

    Lockbury::Config() = {{"decay", 1440}};
    OpenStore(scratch.Params());
    EXPECT_EQ(Event("EVENT_COMMENT"), "");
    EXPECT_EQ(DecaySchedule::DecayOf(Event("EVENT_DEFINITION")), 1440);
    EXPECT_EQ(Indexes(), "1");
    EXPECT_TRUE(Log().empty());
}

// Rows another session holds (a decay batch, another server's load) refuse the claim within the
// one-second bound, on the first connection and on one made again; nothing is given or lost, and
// once they are free the load goes through.
TEST_F(DecayTest, AClaimOnLockedRowsIsRefusedWithinTheBoundAndLosesNothing) {
    auto store = OpenStore(scratch.Params());
    for (const char* item : {"A", "B", "C"}) ASSERT_TRUE(StoreTest::AddItem(*store, kPlayer, "v", item, "00"));
    Session holder(scratch.Params());
    holder.Exec("START TRANSACTION");
    holder.Exec("SELECT id FROM u_vault WHERE itemname = 'B' FOR UPDATE");

    auto claimRefused = [&](const char* when) {
        SCOPED_TRACE(when);
        ClearLog();
        const auto start = std::chrono::steady_clock::now();
        const auto claimed = store->ClaimVaultItems(kPlayer, Wide("v"), 10);
        const auto waited = std::chrono::steady_clock::now() - start;
        EXPECT_TRUE(claimed.failed);
        EXPECT_EQ(claimed.records.Num(), 0);
        // The server's default would hold the game thread for 50 s.
        EXPECT_LT(waited, std::chrono::seconds(5));
        ASSERT_FALSE(Log().empty());
        EXPECT_NE(Log().back().find("MySql::ClaimVaultItems) The vault store failed: Lock wait timeout exceeded"),
                  std::string::npos)
            << Log().back();
        EXPECT_EQ(scratch.Scalar("SELECT COUNT(*) FROM u_vault"), "3");
    };
    claimRefused("first connection");
    // The store's own session, ended: its next statement connects again.
    // The list may still hold a test connection that has just closed, so every one is killed
    // and one already gone is no failure.
    const auto others = scratch.Query("SELECT ID FROM information_schema.PROCESSLIST WHERE DB = DATABASE() AND ID <> " +
                                      std::to_string(holder.Id()) + " AND ID <> CONNECTION_ID()");
    ASSERT_FALSE(others.empty());
    for (const auto& row : others) {
        try {
            scratch.Exec("KILL CONNECTION " + row[0].value_or(""));
        } catch (const std::runtime_error& e) {
            EXPECT_NE(std::string(e.what()).find("Unknown thread id"), std::string::npos) << e.what();
        }
    }
    claimRefused("connection made again");

    holder.Exec("ROLLBACK");
    const auto claimed = store->ClaimVaultItems(kPlayer, Wide("v"), 10);
    ASSERT_FALSE(claimed.failed);
    ASSERT_EQ(claimed.records.Num(), 3);
    ClaimOutcome outcome;
    for (const auto& row : claimed.records) outcome.taken.push_back(row->id);
    EXPECT_EQ(store->SettleClaim(outcome), Settlement::Committed);
    EXPECT_EQ(scratch.Scalar("SELECT COUNT(*) FROM u_vault"), "0");
}

}  // namespace
