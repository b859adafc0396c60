// What loading the store leaves in the database: the table with its indexes and the decay event.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "Database/DecaySchedule.h"
#include "support/StoreEnvironment.h"

namespace {

using StoreTest::StoreTestBase;

class StoreSetupTest : public StoreTestBase {
protected:
    std::string Schema(const std::string& sql) {
        std::string out;
        for (const auto& row : scratch.Query(sql)) {
            for (const auto& v : row) out += v.value_or("NULL") + " ";
            out += "| ";
        }
        return out;
    }
    std::string EventBody() {
        auto rows = scratch.Query("SELECT EVENT_DEFINITION FROM information_schema.EVENTS WHERE EVENT_SCHEMA = '" +
                                  scratch.Params().database + "' AND EVENT_NAME = 'Vault_Decay'");
        return rows.empty() ? "" : rows[0][0].value_or("");
    }
    TestSupport::ScratchDatabase scratch;
};

TEST_F(StoreSetupTest, MakesTheTableWithItsIndexesAndTheEvent) {
    auto store = OpenStore(scratch.Params());
    const std::string db = scratch.Params().database;
    EXPECT_EQ(Schema("SELECT COLUMN_NAME, COLUMN_TYPE, IS_NULLABLE, COLUMN_DEFAULT, EXTRA FROM "
                     "information_schema.COLUMNS WHERE TABLE_SCHEMA = '" +
                     db + "' AND TABLE_NAME = 'u_vault' ORDER BY ORDINAL_POSITION"),
              "id int(11) NO NULL auto_increment | steamid bigint(11) NO 0  | vaultname varchar(400) YES NULL  | "
              "itemname varchar(400) YES NULL  | itemdata mediumtext YES NULL  | blueprint varchar(400) YES NULL  | "
              "qtd int(11) YES NULL  | dtinsert int(11) YES NULL  | ");
    EXPECT_EQ(Schema("SELECT INDEX_NAME, GROUP_CONCAT(COLUMN_NAME ORDER BY SEQ_IN_INDEX) FROM "
                     "information_schema.STATISTICS WHERE TABLE_SCHEMA = '" +
                     db + "' AND TABLE_NAME = 'u_vault' GROUP BY INDEX_NAME ORDER BY INDEX_NAME"),
              "p1 steamid | p2 vaultname | p3 steamid,itemname | p4 dtinsert | PRIMARY id | ");
    EXPECT_EQ(Schema("SELECT INTERVAL_VALUE, INTERVAL_FIELD, STATUS FROM information_schema.EVENTS WHERE "
                     "EVENT_SCHEMA = '" +
                     db + "' AND EVENT_NAME = 'Vault_Decay'"),
              "5 MINUTE ENABLED | ");
    EXPECT_EQ(DecaySchedule::DecayOf(EventBody()), 60);  // what it does: DecayTest
    EXPECT_TRUE(Log().empty()) << "a clean load logs nothing";
}

TEST_F(StoreSetupTest, ALoadWithAnotherDecayReplacesTheEventAndKeepsTheRows) {
    auto first = OpenStore(scratch.Params());
    ASSERT_TRUE(StoreTest::AddItem(*first, 1, "keep", "Item", "00"));
    first.reset();

    Lockbury::Config() = {{"decay", 1440}};
    auto second = OpenStore(scratch.Params());
    EXPECT_EQ(DecaySchedule::DecayOf(EventBody()), 1440);  // what it does: DecayTest
    EXPECT_EQ(scratch.Scalar("SELECT COUNT(*) FROM information_schema.EVENTS WHERE EVENT_SCHEMA = '" +
                             scratch.Params().database + "' AND EVENT_NAME = 'Vault_Decay'"),
              "1");
    EXPECT_EQ(StoreTest::PeekItems(*second, 1, "keep", 10).records.Num(), 1);
}

// As on a Galera cluster: a node shows the event another node made as SLAVESIDE_DISABLED, and
// servers start at the same moment. Neither re-creates the event (which would push its next run
// back) nor logs a critical line, and the objects exist once as wanted. On one server the other
// node's view is made by hand; on the cluster (the label galera) the second store is on node 2.
TEST_F(StoreSetupTest, EventsOfAClusterAreKeptAndMadeOnceByServersStartingTogether) {
    const std::string db = scratch.Params().database;
    const TestSupport::DbParams other = scratch.OnNode(2);
    std::vector<TestSupport::DbParams> distinctNodes{scratch.Params()};
    if (other.port != scratch.Params().port) distinctNodes.push_back(other);
    const std::string schedule =
        "SELECT CONCAT(STATUS, ' ', STARTS, ' ', INTERVAL_VALUE, ' ', INTERVAL_FIELD) FROM "
        "information_schema.EVENTS WHERE EVENT_SCHEMA = '" +
        db + "' AND EVENT_NAME = 'Vault_Decay'";
    OpenStore(scratch.Params()).reset();
    if (distinctNodes.size() == 1) scratch.Exec("ALTER EVENT Vault_Decay DISABLE ON SLAVE");
    const std::string madeElsewhere = TestSupport::ScalarAt(other, schedule);
    ASSERT_EQ(madeElsewhere.rfind("SLAVESIDE_DISABLED ", 0), 0u) << madeElsewhere;
    ClearLog();
    OpenStore(other).reset();
    EXPECT_EQ(TestSupport::ScalarAt(other, schedule), madeElsewhere) << "kept, its next run where it was";
    EXPECT_TRUE(Log().empty()) << "nothing to say";

    for (int round = 0; round < 5; ++round) {
        SCOPED_TRACE(round);
        scratch.Exec("DROP EVENT IF EXISTS Vault_Decay");
        scratch.Exec("DROP EVENT IF EXISTS Vault_Log_Prune");
        scratch.Exec("DROP TRIGGER IF EXISTS u_vault_log_removed");
        ClearLog();
        std::vector<std::thread> servers;
        for (const auto& node : {scratch.Params(), other}) servers.emplace_back([&, node] { OpenStore(node).reset(); });
        for (auto& server : servers) server.join();
        EXPECT_TRUE(Log().empty()) << (Log().empty() ? "" : Log().front());
        EXPECT_EQ(Schema("SELECT EVENT_NAME, INTERVAL_VALUE, INTERVAL_FIELD FROM information_schema.EVENTS "
                         "WHERE EVENT_SCHEMA = '" +
                         db + "' ORDER BY EVENT_NAME"),
                  "Vault_Decay 5 MINUTE | Vault_Log_Prune 1 HOUR | ");
        int enabled = 0;
        for (const auto& node : distinctNodes)
            enabled += std::stoi(TestSupport::ScalarAt(node,
                                                       "SELECT COUNT(*) FROM information_schema.EVENTS WHERE "
                                                       "EVENT_SCHEMA = '" +
                                                           db + "' AND STATUS = 'ENABLED'"));
        EXPECT_EQ(enabled, 2) << "each event runs on one node: the node that made it";
        EXPECT_EQ(DecaySchedule::DecayOf(EventBody()), 60);
        EXPECT_EQ(scratch.Scalar("SELECT COUNT(*) FROM information_schema.TRIGGERS WHERE TRIGGER_SCHEMA = '" + db +
                                 "' AND TRIGGER_NAME = 'u_vault_log_removed'"),
                  "1");
    }
}

// Tables made by an earlier version lack kinds this one writes; a newer server's kind is kept. The
// rows stay as they are, and each table gains its kinds in one line.
TEST_F(StoreSetupTest, AStoredKindColumnGainsTheKindsItLacksAndKeepsANewerServers) {
    scratch.Exec(
        "CREATE TABLE u_vault_log (id BIGINT NOT NULL AUTO_INCREMENT,at INT NOT NULL,server_id VARCHAR(64) NOT NULL,"
        "steamid BIGINT NOT NULL,vaultname VARCHAR(400),kind ENUM('save','load','admin','fromthefuture') NOT NULL,"
        "rows_moved INT NOT NULL,by_steamid BIGINT NULL,batch CHAR(32) NULL,PRIMARY KEY(id),UNIQUE KEY `batch` "
        "(`batch`))");
    scratch.Exec(
        "INSERT INTO u_vault_log (at, server_id, steamid, kind, rows_moved) VALUES (1, 'old', 7, 'admin', 2), "
        "(2, 'new', 7, 'fromthefuture', 3)");
    scratch.Exec(
        "CREATE TABLE u_vault_journal (id BIGINT NOT NULL AUTO_INCREMENT,server_id VARCHAR(64) NOT NULL,kind "
        "ENUM('save','load') NOT NULL,steamid BIGINT UNSIGNED NOT NULL,vaultname VARCHAR(400),at INT NOT NULL,"
        "PRIMARY KEY(id))");
    scratch.Exec("INSERT INTO u_vault_journal (server_id, kind, steamid, at) VALUES ('s1', 'load', 7, 1)");
    StoreSettings settings;
    settings.decayMinutes = [] { return 60; };
    settings.log = Lockbury::GetLog();
    settings.journal = true;
    settings.serverId = "s1";
    const auto& p = scratch.Params();
    auto store = std::make_unique<MySql>(p.host, p.user, p.password, p.database, p.port, settings);

    const auto kindOf = [&](const char* table) {
        return scratch.Scalar(std::string("SELECT COLUMN_TYPE FROM information_schema.COLUMNS WHERE TABLE_SCHEMA = "
                                          "DATABASE() AND COLUMN_NAME = 'kind' AND TABLE_NAME = '") +
                              table + "'");
    };
    EXPECT_EQ(kindOf("u_vault_log"), "enum('save','load','admin','fromthefuture','returned','decay','removed')");
    EXPECT_EQ(kindOf("u_vault_journal"), "enum('save','load','unwind','applied')");
    EXPECT_EQ(Schema("SELECT server_id, kind FROM u_vault_log ORDER BY id"), "old admin | new fromthefuture | ");
    EXPECT_EQ(Schema("SELECT kind FROM u_vault_journal"), "load | ");
    EXPECT_EQ(Log(), (std::vector<std::string>{
                         "[Lockbury][info] (Database/MysqlMoveLog MySql::WidenKindColumn) u_vault_journal.kind gains "
                         "'unwind', 'applied', kinds of moves this version writes",
                         "[Lockbury][info] (Database/MysqlMoveLog MySql::WidenKindColumn) u_vault_log.kind gains "
                         "'returned', 'decay', 'removed', kinds of moves this version writes"}));
    ClearLog();
    store = std::make_unique<MySql>(p.host, p.user, p.password, p.database, p.port, settings);
    EXPECT_TRUE(Log().empty()) << "nothing to widen the second time";
}

TEST_F(StoreSetupTest, MissingDecayLogsTheErrorAndLeavesNoEvent) {
    OpenStore(scratch.Params());  // an event from an earlier load
    ClearLog();
    Lockbury::Config() = nlohmann::ordered_json::object();
    auto store = OpenStore(scratch.Params());
    EXPECT_EQ(Log(), (std::vector<std::string>{"[Lockbury][error] (Database/MysqlDB MySql::MySql) Unexpected DB "
                                               "error [json.exception.type_error.302] type must be number, but "
                                               "is null"}));
    EXPECT_EQ(EventBody(), "");
    EXPECT_EQ(scratch.Scalar("SELECT COUNT(*) FROM u_vault"), "0") << "the table is still there";
}

TEST_F(StoreSetupTest, ExistingTableIsUsedAsItStands) {
    scratch.Exec("CREATE TABLE u_vault (id INT PRIMARY KEY, note TEXT)");
    auto store = OpenStore(scratch.Params());
    // Only the move log's trigger, which reads the columns of a vault row, cannot be made.
    EXPECT_EQ(Log(), (std::vector<std::string>{"[Lockbury][critical] (Database/MysqlMoveLog MySql::PrepareMoveLog) Failed "
                                               "to create trigger u_vault_log_removed: decays will not be in the "
                                               "move log (Unknown column 'steamid' in 'OLD')"}));
    EXPECT_EQ(Schema("SELECT COLUMN_NAME FROM information_schema.COLUMNS WHERE TABLE_SCHEMA = '" +
                     scratch.Params().database + "' AND TABLE_NAME = 'u_vault' ORDER BY ORDINAL_POSITION"),
              "id | note | ");
}

TEST_F(StoreSetupTest, EmptyDatabaseNameFailsTheThreeStatements) {
    auto params = scratch.Params();
    params.database.clear();
    auto store = OpenStore(params);
    EXPECT_EQ(
        Log(),
        (std::vector<std::string>{
            "[Lockbury][critical] (Database/MysqlDB MySql::MySql) Failed to create u_vault table !",
            "[Lockbury][critical] (Database/MysqlMoveLog MySql::PrepareMoveLog) Failed to create the move "
            "log's tables: No database selected; every move fails until they exist",
            "[Lockbury][critical] (Database/DecaySchedule DecaySchedule::Prepare) Failed to drop event Vault_Decay!",
            "[Lockbury][critical] (Database/DecaySchedule DecaySchedule::Prepare) Failed to create event Vault_Decay!",
        }));
    EXPECT_FALSE(StoreTest::AddItem(*store, 1, "v", "i", "00"));
}

}  // namespace
