// Row ids as the database hands them out when they are not consecutive: a server (or a Galera
// node, or a hosted MySQL) with auto_increment_increment above 1, and other writers filling the
// gaps between a save's ids. The store must journal, delete and settle exactly the rows it wrote.
#include <fmt/format.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/StoreEnvironment.h"

namespace {

using StoreTest::Wide;

constexpr std::uint64_t kPlayer = 76561198000000001ull;
constexpr std::uint64_t kOther = 76561198000000002ull;
constexpr std::int64_t kFirstWorld = 1'700'000'000'000'000;
constexpr std::int64_t kSecondWorld = kFirstWorld + 300'000'000;

VaultRow Item(std::uint32_t id) {
    VaultRow row = VaultRow::Item(Wide("PrimalItem_WeaponPike_C"), fmt::format("{:02x}", id));
    row.itemId1 = id;
    row.itemId2 = 1;
    return row;
}

std::vector<std::int32_t> Ids(const std::vector<TestSupport::Row>& rows) {
    std::vector<std::int32_t> ids;
    for (const auto& row : rows) ids.push_back(std::stoi(*row[0]));
    return ids;
}

// A server of the suite's own: its global auto-increment settings are changed for the test.
class IdStepTest : public StoreTest::SuiteWithItsOwnServer<IdStepTest> {
protected:
    void SetUp() override {
        SuiteWithItsOwnServer::SetUp();
        if (HasFatalFailure()) return;
        params = server->Params("steps");
        increment = Scalar("SELECT @@GLOBAL.auto_increment_increment");
        offset = Scalar("SELECT @@GLOBAL.auto_increment_offset");
        // As a Galera node of a three-node cluster hands them out; new sessions take these.
        server->Exec("SET GLOBAL auto_increment_increment = 3, GLOBAL auto_increment_offset = 2");
    }
    void TearDown() override {
        if (!increment.empty())
            server->Exec(fmt::format("SET GLOBAL auto_increment_increment = {}, GLOBAL auto_increment_offset = {}",
                                     increment, offset));
        SuiteWithItsOwnServer::TearDown();
    }

    std::unique_ptr<MySql> Island() {
        StoreSettings settings;
        settings.reconnectInterval = 0;
        settings.decayMinutes = [] { return 60; };
        settings.log = Lockbury::GetLog();
        settings.journal = true;
        settings.serverId = "island";
        return std::make_unique<MySql>(params.host, params.user, params.password, params.database, params.port, settings);
    }
    std::string Scalar(const std::string& sql) const { return TestSupport::ScalarAt(params, sql); }
    std::vector<TestSupport::Row> Query(const std::string& sql) const {
        auto connection = std::make_unique<ledra::mysql::connection>();
        EXPECT_TRUE(connection->open(TestSupport::OptionsOf(params)));
        auto result = connection->query(sql);
        EXPECT_TRUE(result.succeeded()) << sql << ": " << connection->last_error_text();
        std::vector<TestSupport::Row> rows;
        for (; !result.at_end(); result.next()) {
            TestSupport::Row row;
            for (unsigned i = 0; i < result.columns(); ++i) {
                std::string value;
                row.push_back(result.get(i, value) ? std::optional<std::string>(value) : std::nullopt);
            }
            rows.push_back(row);
        }
        return rows;
    }
    std::vector<std::int32_t> RowsOf(std::uint64_t steamid, const std::string& vault) const {
        return Ids(Query(
            fmt::format("SELECT id FROM u_vault WHERE steamid = {} AND vaultname = '{}' ORDER BY id", steamid, vault)));
    }
    // Another node's rows in every gap between the given ids: a delete by computed ids hits them.
    void FillGaps(const std::vector<std::int32_t>& ids, const std::string& vault) {
        for (std::int32_t id = ids.front() + 1; id < ids.back(); ++id) {
            if (std::find(ids.begin(), ids.end(), id) != ids.end()) continue;
            server->Exec(
                fmt::format("INSERT INTO {}.u_vault (id, steamid, vaultname, itemname, itemdata, dtinsert) "
                            "VALUES ({}, {}, '{}', 'PrimalItem_Other_C', 'ff', UNIX_TIMESTAMP())",
                            params.database, id, kOther, vault));
        }
    }

    TestSupport::DbParams params;
    std::string increment, offset;
};

// A save of five items journals the ids the database gave (steps of 3, with another node's rows
// between them); the same rows are deleted again when the game keeps the items, and a crash-safe
// save undone after a crash leaves every item once: in the restored inventory or in the vault,
// never both, and the other node's rows stay untouched throughout.
TEST_F(IdStepTest, SaveJournalsDeletesAndUndoesTheRowsTheDatabaseNumbered) {
    auto island = Island();
    ASSERT_TRUE(island->RecoverJournal({kFirstWorld, kFirstWorld}).done);

    // The game refuses to remove the items: the save's rows go again, and only they.
    const RowsWritten first = island->AddVaultRows(kPlayer, Wide("base"), {Item(1), Item(2), Item(3), Item(4), Item(5)});
    ASSERT_EQ(first.settlement, Settlement::Committed);
    EXPECT_EQ(first.ids, RowsOf(kPlayer, "base"));
    ASSERT_EQ(first.ids.size(), 5u);
    EXPECT_EQ(first.ids[1] - first.ids[0], 3) << "the server hands out ids in steps of 3";
    EXPECT_EQ(Ids(Query("SELECT row_id FROM u_vault_journal_rows ORDER BY item_id1")), first.ids)
        << "the journal names each item's own row";
    FillGaps(first.ids, "base");
    const auto others = RowsOf(kOther, "base");
    ASSERT_EQ(others.size(), 8u);
    ASSERT_TRUE(island->DeleteVaultRows(first.ids));
    EXPECT_TRUE(RowsOf(kPlayer, "base").empty()) << "the items stay in the inventory only";
    EXPECT_EQ(RowsOf(kOther, "base"), others) << "no row of another player is deleted";
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM u_vault_journal_rows"), "0");
    ASSERT_TRUE(island->WorldSaveStarting(kFirstWorld));
    ASSERT_TRUE(island->WorldSaved(kSecondWorld));

    // A save after the last world save, then a crash. The restored character holds 11, 12 and 13
    // (their rows leave the vault); 14 and 15 are not in the restored world (made after the world
    // save), so their rows stay in the vault.
    const RowsWritten second =
        island->AddVaultRows(kPlayer, Wide("more"), {Item(11), Item(12), Item(13), Item(14), Item(15)});
    ASSERT_EQ(second.settlement, Settlement::Committed);
    ASSERT_EQ(second.ids, RowsOf(kPlayer, "more"));
    FillGaps(second.ids, "more");
    island.reset();
    island = Island();
    const JournalRecovery recovery = island->RecoverJournal({kSecondWorld, kSecondWorld});
    ASSERT_TRUE(recovery.done);
    ASSERT_EQ(recovery.unwinds.size(), 1u);
    std::vector<std::int32_t> unwound;
    for (const UnwindItem& item : recovery.unwinds[0].items) {
        EXPECT_EQ(item.rowId, second.ids[item.itemId1 - 11]) << "item " << item.itemId1;
        unwound.push_back(item.rowId);
    }
    std::sort(unwound.begin(), unwound.end());
    EXPECT_EQ(unwound, second.ids);

    const std::vector<std::int32_t> held{second.ids[0], second.ids[1], second.ids[2]};
    const auto leaving = island->SettleUnwind(recovery.unwinds[0].journalId, held);
    ASSERT_TRUE(leaving.has_value());
    EXPECT_TRUE(leaving->empty()) << "every row was still as saved: no item leaves the character";
    const auto vault = RowsOf(kPlayer, "more");
    EXPECT_EQ(vault, (std::vector<std::int32_t>{second.ids[3], second.ids[4]}));
    EXPECT_EQ(held.size() + vault.size(), 5u) << "every item once: three in the inventory, two in the vault";
    EXPECT_EQ(RowsOf(kOther, "more").size(), 8u) << "no row of another player is touched";
}

}  // namespace
