// A save's rows written as one batch: each row fills exactly the columns of its kind, split
// below the server's packet limit, all or nothing when a statement of the batch fails, and the
// same bytes whatever SQL mode the server quotes texts in.
#include <fmt/format.h>
#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <string>
#include <thread>
#include <vector>

#include "support/StoreEnvironment.h"
#include "support/ThrowawayServer.h"

namespace {

using StoreTest::AddItem;
using StoreTest::PeekItems;
using StoreTest::StoreTestBase;
using StoreTest::Wide;
using TestSupport::ThrowawayServer;

constexpr std::uint64_t kPlayer = 76561198000000001ull;

bool Stored(const RowsWritten& written) { return written.settlement == Settlement::Committed; }
const std::string kWoodPath = "Blueprint'/Game/Resources/PrimalItemResource_Wood.PrimalItemResource_Wood'";

// Every column but id and dtinsert, NULLs told apart from empty texts.
constexpr const char* kColumns =
    "SELECT steamid, itemname, IFNULL(itemdata, '<NULL>'), IFNULL(blueprint, '<NULL>'), IFNULL(qtd, '<NULL>'), "
    "dtinsert FROM u_vault WHERE vaultname = '{}' ORDER BY id";

std::string Columns(const std::string& vault) {
    std::string sql = kColumns;
    sql.replace(sql.find("{}"), 2, vault);
    return sql;
}

// A value read through a connection of the test's own.
std::string Scalar(const TestSupport::DbParams& params, const std::string& sql) {
    return TestSupport::ScalarAt(params, sql);
}

class VaultRowsTest : public StoreTestBase {
protected:
    void SetUp() override {
        StoreTestBase::SetUp();
        scratch.Exec("ALTER DATABASE " + scratch.Params().database + " CHARACTER SET utf8mb4");
        store = OpenStore(scratch.Params());
        ClearLog();
    }
    TestSupport::ScratchDatabase scratch;
    std::unique_ptr<MySql> store;
};

// An item row leaves blueprint and qtd NULL, a resource row leaves itemdata NULL; every text is
// stored byte for byte.
TEST_F(VaultRowsTest, EachRowFillsExactlyTheColumnsOfItsKind) {
    const std::string hostile[] = {"'); DROP TABLE u_vault; --",
                                   "\"); DROP TABLE u_vault; --",
                                   "back\\slash\\",
                                   std::string("nul\0byte", 8),
                                   "сейф_🔒_é",
                                   ""};
    std::vector<VaultRow> rows;
    std::vector<std::vector<std::string>> expected;  // steamid, itemname, itemdata, blueprint, qtd
    const std::string player = std::to_string(kPlayer);
    for (const auto& text : hostile) {
        rows.push_back(VaultRow::Item(Wide("Item" + text), "0a" + text));
        expected.push_back({player, "Item" + text, "0a" + text, "<NULL>", "<NULL>"});
        rows.push_back(VaultRow::Resource(Wide("Wood" + text), Wide(kWoodPath + text), 7));
        expected.push_back({player, "Wood" + text, "<NULL>", kWoodPath + text, "7"});
    }
    ASSERT_TRUE(Stored(store->AddVaultRows(kPlayer, Wide("batch"), rows)));

    auto batch = scratch.Query(Columns("batch"));
    ASSERT_EQ(batch.size(), rows.size());
    for (std::size_t i = 0; i < batch.size(); ++i) {
        SCOPED_TRACE(i);
        ASSERT_EQ(batch[i].size(), expected[i].size() + 1);
        for (std::size_t c = 0; c < expected[i].size(); ++c) EXPECT_EQ(batch[i][c], expected[i][c]) << "column " << c;
        EXPECT_EQ(std::stoll(batch[i].back().value()), std::time(nullptr));
    }
    EXPECT_TRUE(Log().empty());
    EXPECT_EQ(PeekItems(*store, kPlayer, "batch", 100).records.Num(), static_cast<int>(rows.size()));
}

TEST_F(VaultRowsTest, NoRowsIsNothingToWrite) {
    EXPECT_TRUE(Stored(store->AddVaultRows(kPlayer, Wide("v"), {})));
    EXPECT_EQ(scratch.Scalar("SELECT COUNT(*) FROM u_vault"), "0");
}

// A statement of the batch refused by the server (a trigger here) takes the rows of the
// statements before it with it.
TEST_F(VaultRowsTest, RefusedRowRollsBackTheWholeBatch) {
    scratch.Exec(
        "CREATE TRIGGER refuse BEFORE INSERT ON u_vault FOR EACH ROW IF NEW.itemname = 'poison' THEN "
        "SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = 'refused'; END IF");
    std::vector<VaultRow> rows;
    for (int i = 0; i < 5; ++i) rows.push_back(VaultRow::Item(Wide("Item"), "00"));
    rows.push_back(VaultRow::Item(Wide("poison"), "01"));
    EXPECT_FALSE(Stored(store->AddVaultRows(kPlayer, Wide("v"), rows)));
    EXPECT_EQ(scratch.Scalar("SELECT COUNT(*) FROM u_vault"), "0");

    // The connection is out of the transaction: a later save is committed on its own.
    ASSERT_TRUE(AddItem(*store, kPlayer, "v", "Item", "02"));
    EXPECT_EQ(scratch.Scalar("SELECT COUNT(*) FROM u_vault"), "1");
    rows.pop_back();
    EXPECT_TRUE(Stored(store->AddVaultRows(kPlayer, Wide("v"), rows)));
    EXPECT_EQ(scratch.Scalar("SELECT COUNT(*) FROM u_vault"), "6");
}

// A server of the suite's own with a small packet limit, so that a batch takes several
// statements; the tests also kill it.
class SmallPacketTest : public StoreTest::SuiteWithItsOwnServer<SmallPacketTest> {
public:
    static constexpr int kPacketLimit = 16 * 1024;
    static void Prepare(ThrowawayServer& own) {
        own.Exec("SET GLOBAL max_allowed_packet = " + std::to_string(kPacketLimit));
    }

protected:
    void SetUp() override {
        SuiteWithItsOwnServer::SetUp();
        if (HasFatalFailure()) return;
        static int n = 0;
        params = server->Params("rows_" + std::to_string(n++));
        store = OpenStore(params);
    }
    std::string Scalar(const std::string& sql) { return ::Scalar(params, sql); }
    int Inserts() {
        return std::stoi(
            Scalar("SELECT VARIABLE_VALUE FROM information_schema.GLOBAL_STATUS "
                   "WHERE VARIABLE_NAME = 'COM_INSERT'"));
    }
    static std::vector<VaultRow> Items(int count, std::size_t textLength) {
        std::vector<VaultRow> rows;
        for (int i = 0; i < count; ++i) {
            std::string text(textLength, 'a');
            text.replace(0, std::to_string(i).size(), std::to_string(i));
            rows.push_back(VaultRow::Item(Wide("Item_" + std::to_string(i)), text));
        }
        return rows;
    }

    TestSupport::DbParams params;
    std::unique_ptr<MySql> store;
};

TEST_F(SmallPacketTest, BatchLargerThanOnePacketStoresEveryRowInOrder) {
    const auto rows = Items(40, 2048);  // about 84 KB of statement, five times the limit
    const int before = Inserts();
    ASSERT_TRUE(Stored(store->AddVaultRows(kPlayer, Wide("v"), rows)));
    const int statements = Inserts() - before;
    EXPECT_GE(statements, 6);
    EXPECT_LE(statements, 10) << "each statement is filled close to the limit";
    const auto stored = PeekItems(*store, kPlayer, "v", 100).records;
    ASSERT_EQ(stored.Num(), 40);
    for (int i = 0; i < 40; ++i) EXPECT_EQ(stored[i]->itemdata, rows[static_cast<std::size_t>(i)].itemdata);
}

TEST_F(SmallPacketTest, RowBeyondThePacketLimitFailsTheBatchAndTheStoreGoesOn) {
    auto rows = Items(20, 2048);
    rows.push_back(VaultRow::Item(Wide("Huge"), std::string(kPacketLimit + 1, 'b')));  // the server drops the connection
    rows.push_back(VaultRow::Item(Wide("After"), "00"));
    EXPECT_FALSE(Stored(store->AddVaultRows(kPlayer, Wide("v"), rows)));
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM u_vault"), "0") << "the statements before it were rolled back";

    rows.erase(rows.end() - 2);
    EXPECT_TRUE(Stored(store->AddVaultRows(kPlayer, Wide("v"), rows))) << "the next batch opens a new connection";
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM u_vault"), "21");
}

// The server dies while a later statement of the batch runs (the earlier ones went through):
// nothing of the batch survives the restart, and the store works again afterwards.
TEST_F(SmallPacketTest, ServerKilledInTheMiddleOfTheBatchKeepsNoRow) {
    const std::string& db = params.database;
    ASSERT_NO_THROW(server->Exec("CREATE TRIGGER " + db + ".slow BEFORE INSERT ON " + db +
                                 ".u_vault FOR EACH ROW SET @slept = IF(NEW.itemname = 'Item_15', SLEEP(30), 0)"));
    const auto rows = Items(20, 2048);
    std::thread killer([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        server->Kill();
    });
    const auto start = std::chrono::steady_clock::now();
    const bool stored = Stored(store->AddVaultRows(kPlayer, Wide("v"), rows));
    killer.join();
    EXPECT_FALSE(stored);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20)) << "it did not wait for the sleep";
    server->Start();
    server->Exec("SET GLOBAL max_allowed_packet = " + std::to_string(kPacketLimit));
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM u_vault"), "0");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM information_schema.TRIGGERS WHERE TRIGGER_NAME = 'slow'"), "1");
    server->Exec("DROP TRIGGER " + params.database + ".slow");
    EXPECT_TRUE(Stored(store->AddVaultRows(kPlayer, Wide("v"), rows)));
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM u_vault"), "20");
}

// A server of the suite's own, whose SQL mode the test changes: under ANSI_QUOTES a double-quoted
// text is a name, under NO_BACKSLASH_ESCAPES a backslash is a plain character.
class SqlModeTest : public StoreTest::SuiteWithItsOwnServer<SqlModeTest> {};

// The store's own session runs in the mode (a new session takes the global one); every mode
// stores the same bytes, the game's single-quoted form of a blueprint among them, whether the
// rows come alone or in a batch.
TEST_F(SqlModeTest, ResourceRowsAreStoredByteForByteInEveryQuotingMode) {
    const std::string blueprints[] = {kWoodPath, "it's \"quoted\"", "back\\slash\\", "'); DROP TABLE u_vault; --",
                                      "\"); DROP TABLE u_vault; --"};
    std::string hex;
    std::vector<VaultRow> rows;
    for (const auto& blueprint : blueprints) {
        for (const unsigned char c : blueprint) hex += fmt::format("{:02X}", c);
        hex += ',';
        rows.push_back(VaultRow::Resource(Wide("Wood"), Wide(blueprint), 7));
    }
    hex.pop_back();
    const auto storedHex = [](const TestSupport::DbParams& params, const char* vault) {
        return Scalar(params, fmt::format("SELECT GROUP_CONCAT(HEX(blueprint) ORDER BY id) FROM u_vault "
                                          "WHERE vaultname = '{}'",
                                          vault));
    };

    const TestSupport::DbParams any = server->Params("modes");
    const std::string serverDefault = Scalar(any, "SELECT @@GLOBAL.sql_mode");
    int n = 0;
    for (const std::string& mode : {serverDefault, std::string("ANSI_QUOTES"), std::string("NO_BACKSLASH_ESCAPES"),
                                    std::string("ANSI_QUOTES,NO_BACKSLASH_ESCAPES")}) {
        SCOPED_TRACE(mode);
        server->Exec("SET GLOBAL sql_mode = '" + mode + "'");
        const TestSupport::DbParams params = server->Params("mode_" + std::to_string(n++));
        auto store = OpenStore(params);
        for (const auto& blueprint : blueprints)
            ASSERT_TRUE(StoreTest::AddResource(*store, kPlayer, "single", "Wood", blueprint, 7));
        ASSERT_TRUE(Stored(store->AddVaultRows(kPlayer, Wide("batch"), rows)));
        EXPECT_EQ(storedHex(params, "single"), hex);
        EXPECT_EQ(storedHex(params, "batch"), hex);
        EXPECT_EQ(PeekItems(*store, kPlayer, "batch", 100).records.Num(), static_cast<int>(rows.size()));
    }
}

// The move log writes names through the connection's own escaping: under NO_BACKSLASH_ESCAPES a
// backslash is a plain character there too, and the record names the item exactly.
TEST_F(SqlModeTest, TheMoveLogRecordsNamesExactlyInEveryQuotingMode) {
    const std::string name = "It's a back\\slash\\";
    const std::string serverDefault = Scalar(server->Params("modes"), "SELECT @@GLOBAL.sql_mode");
    int n = 0;
    for (const std::string& mode :
         {std::string("NO_BACKSLASH_ESCAPES"), std::string("ANSI_QUOTES,NO_BACKSLASH_ESCAPES"), serverDefault}) {
        SCOPED_TRACE(mode);
        server->Exec("SET GLOBAL sql_mode = '" + mode + "'");
        const TestSupport::DbParams params = server->Params("log_mode_" + std::to_string(n++));
        auto store = OpenStore(params);
        ASSERT_TRUE(Stored(store->AddVaultRows(
            kPlayer, Wide("named"),
            {VaultRow::Item(Wide(name + "_7"), "00"), VaultRow::Resource(Wide(name), Wide(kWoodPath), 3)})));
        EXPECT_EQ(Scalar(params, "SELECT CONCAT(itemname, ' x', quantity) FROM u_vault_log_items"), name + " x4");
        EXPECT_EQ(Scalar(params, "SELECT itemname FROM u_vault ORDER BY id LIMIT 1"), name + "_7");
    }
    server->Exec("SET GLOBAL sql_mode = '" + serverDefault + "'");
}

}  // namespace
