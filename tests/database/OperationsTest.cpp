// The store's save, claim, deletion and list against the test server: rows, hostile texts, limits,
// the list.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <map>
#include <regex>
#include <string>
#include <thread>
#include <utility>

#include "support/StoreEnvironment.h"

namespace {

using StoreTest::AddItem;
using StoreTest::AddResource;
using StoreTest::PeekItems;
using StoreTest::StoreTestBase;
using StoreTest::Wide;

constexpr std::uint64_t kPlayer = 76561198000000001ull;
constexpr std::uint64_t kOther = 76561198000000002ull;

class StoreOperationsTest : public StoreTestBase {
protected:
    void SetUp() override {
        StoreTestBase::SetUp();
        // The table takes the database's character set; a server's packaged default is utf8mb4.
        scratch.Exec("ALTER DATABASE " + scratch.Params().database + " CHARACTER SET utf8mb4");
        store = OpenStore(scratch.Params());
        ClearLog();
    }
    TestSupport::ScratchDatabase scratch;
    std::unique_ptr<MySql> store;
};

TEST_F(StoreOperationsTest, ItemAndResourceRowsReadBackAsTheirKind) {
    ASSERT_TRUE(AddItem(*store, kPlayer, "main", "PrimalItem_WeaponPike_C_3", "0a1bff"));
    ASSERT_TRUE(AddResource(*store, kPlayer, "main", "PrimalItemResource_Wood_C_9",
                            "Blueprint'/Game/Resources/PrimalItemResource_Wood.PrimalItemResource_Wood'", 500));
    ASSERT_TRUE(AddItem(*store, kOther, "main", "Other", "ff"));

    auto items = PeekItems(*store, kPlayer, "main", 10).records;
    ASSERT_EQ(items.Num(), 2);
    const VaultItem& item = items[0]->itemdata.empty() ? *items[1] : *items[0];
    const VaultItem& resource = items[0]->itemdata.empty() ? *items[0] : *items[1];
    EXPECT_EQ(item.itemdata, "0a1bff");
    EXPECT_EQ(item.blueprint, "");
    EXPECT_EQ(item.qtd, 0);
    EXPECT_GT(item.id, 0);
    EXPECT_EQ(resource.itemdata, "");
    EXPECT_EQ(resource.blueprint, "Blueprint'/Game/Resources/PrimalItemResource_Wood.PrimalItemResource_Wood'");
    EXPECT_EQ(resource.qtd, 500);
    EXPECT_NE(item.id, resource.id);

    auto rows = scratch.Query(
        "SELECT steamid, itemname, itemdata IS NULL, blueprint IS NULL, qtd IS NULL, dtinsert "
        "FROM u_vault WHERE steamid = " +
        std::to_string(kPlayer) + " ORDER BY id");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(*rows[0][0], std::to_string(kPlayer));
    EXPECT_EQ(*rows[0][1], "PrimalItem_WeaponPike_C_3");
    EXPECT_EQ(*rows[0][3], "1");
    EXPECT_EQ(*rows[0][4], "1");
    EXPECT_EQ(*rows[1][2], "1");
    EXPECT_EQ(std::stoll(*rows[0][5]), std::time(nullptr));
    EXPECT_EQ(Log(), (std::vector<std::string>{"[Lockbury][info] Took 0 seconds to load from mysql"}));
}

TEST_F(StoreOperationsTest, HostileTextsAreStoredAndReadBackExactly) {
    const std::string hostile[] = {
        "'); DROP TABLE u_vault; --",
        "\"); DROP TABLE u_vault; --",
        "back\\slash\\",
        "it's \"quoted\"",
        std::string("nul\0byte", 8),
        "сейф_🔒_é",
        "Blueprint'/Game/Items/Pike.Pike'",
    };
    for (const auto& text : hostile) {
        SCOPED_TRACE(text);
        ASSERT_TRUE(AddItem(*store, kPlayer, text, text, text));
        ASSERT_TRUE(AddResource(*store, kPlayer, text, text, text, 3));
        auto items = PeekItems(*store, kPlayer, text, 10).records;
        ASSERT_EQ(items.Num(), 2);
        for (const auto& item : items) {
            if (item->qtd == 3) {
                EXPECT_EQ(item->blueprint, text);
            } else {
                EXPECT_EQ(item->itemdata, text);
            }
        }
        auto stored = scratch.Query("SELECT DISTINCT vaultname, itemname FROM u_vault WHERE id IN (" +
                                    std::to_string(items[0]->id) + "," + std::to_string(items[1]->id) + ")");
        ASSERT_EQ(stored.size(), 1u);
        EXPECT_EQ(*stored[0][0], text);
        EXPECT_EQ(*stored[0][1], text);
    }
    EXPECT_EQ(scratch.Scalar("SELECT COUNT(*) FROM u_vault"), std::to_string(2 * std::size(hostile)));

    const auto list = store->ReadVaultList(kPlayer);
    ASSERT_FALSE(list.failed);
    const auto& vaults = list.records;
    ASSERT_EQ(vaults.Num(), static_cast<int>(std::size(hostile)));
    for (const auto& text : hostile) {
        bool found = false;
        for (const auto& vault : vaults) found = found || vault->vaultname == text;
        EXPECT_TRUE(found) << text;
    }
}

// A database in a single-byte character set refuses what it cannot hold; nothing is stored cut,
// and the refused save leaves no move-log record.
TEST_F(StoreTestBase, MultiByteTextInALatin1DatabaseFailsCleanly) {
    TestSupport::ScratchDatabase scratch;
    scratch.Exec("ALTER DATABASE " + scratch.Params().database + " CHARACTER SET latin1");
    auto store = OpenStore(scratch.Params());
    EXPECT_TRUE(AddItem(*store, kPlayer, "café", "Item", "00"));
    EXPECT_FALSE(AddItem(*store, kPlayer, "сейф_🔒", "Item", "00"));
    EXPECT_EQ(scratch.Scalar("SELECT GROUP_CONCAT(vaultname) FROM u_vault"), "café");
    EXPECT_EQ(scratch.Scalar("SELECT GROUP_CONCAT(vaultname) FROM u_vault_log"), "café");
}

// A claim gives at most its limit of the player's own vault; a limit the server refuses is a
// failure, not an empty vault. A claim released changes no row.
TEST_F(StoreOperationsTest, ClaimVaultItemsKeepsToItsLimit) {
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(AddItem(*store, kPlayer, "v", "Item", "00"));
    EXPECT_EQ(PeekItems(*store, kPlayer, "v", 2).records.Num(), 2);
    EXPECT_EQ(PeekItems(*store, kPlayer, "v", 3).records.Num(), 3);
    const auto none = PeekItems(*store, kPlayer, "v", 0);
    EXPECT_FALSE(none.failed);
    EXPECT_EQ(none.records.Num(), 0);
    const auto refused = PeekItems(*store, kPlayer, "v", -1);
    EXPECT_TRUE(refused.failed);
    EXPECT_EQ(refused.records.Num(), 0);
    for (const auto& [player, vault] : {std::pair{kPlayer, "unknown"}, std::pair{kOther, "v"}}) {
        const auto empty = PeekItems(*store, player, vault, 10);
        EXPECT_FALSE(empty.failed) << vault;
        EXPECT_EQ(empty.records.Num(), 0) << vault;
    }
    EXPECT_EQ(scratch.Scalar("SELECT COUNT(*) FROM u_vault"), "3");
    const auto log = Log();
    EXPECT_EQ(std::count(log.begin(), log.end(), "[Lockbury][info] Took 0 seconds to load from mysql"), 5)
        << "every claim that read logs its timing";
    ASSERT_EQ(log.size(), 6u);
    EXPECT_EQ(log[3].rfind("[Lockbury][error] (Database/MysqlDB MySql::ClaimVaultItems) The vault store failed: You "
                           "have an error in your SQL syntax",
                           0),
              0u)
        << log[3];
}

// An open claim (with a store thread it stays open while the load's items are given, frame after
// frame) locks its own rows only: on a table this small a locking read by player and name would
// take every row, and another server's moves for other players would wait and be refused.
TEST_F(StoreOperationsTest, AnOpenClaimLocksItsOwnRowsOnly) {
    for (const auto& [player, vault] :
         {std::pair{kPlayer, "v"}, std::pair{kOther, "v"}, std::pair{kOther, "w"}, std::pair{kPlayer, "w"}})
        for (int i = 0; i < 3; ++i) ASSERT_TRUE(AddItem(*store, player, vault, "Item", "00"));
    const auto claimed = store->ClaimVaultItems(kPlayer, Wide("v"), 2);
    ASSERT_FALSE(claimed.failed);
    ASSERT_EQ(claimed.records.Num(), 2);
    EXPECT_LT(claimed.records[0]->id, claimed.records[1]->id) << "the oldest rows first";

    auto other = OpenStore(scratch.Params());
    const auto start = std::chrono::steady_clock::now();
    const auto theirs = other->ClaimVaultItems(kOther, Wide("v"), 10);
    ASSERT_FALSE(theirs.failed);
    ASSERT_EQ(theirs.records.Num(), 3);
    EXPECT_EQ(other->SettleClaim({{theirs.records[0]->id, theirs.records[1]->id, theirs.records[2]->id}, {}, {}}),
              Settlement::Committed);
    EXPECT_TRUE(AddItem(*other, kOther, "v", "Item", "01"));
    const auto mine = other->ClaimVaultItems(kPlayer, Wide("w"), 10);
    ASSERT_FALSE(mine.failed) << "the same player's other vault";
    EXPECT_EQ(mine.records.Num(), 3);
    other->ReleaseClaim();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(900)) << "nothing waited for a lock";
    EXPECT_TRUE(other->ClaimVaultItems(kPlayer, Wide("v"), 10).failed)
        << "the same vault waits for the open claim, refused at the lock wait bound";

    EXPECT_EQ(store->SettleClaim({{claimed.records[0]->id, claimed.records[1]->id}, {}, {}}), Settlement::Committed);
    EXPECT_EQ(scratch.Scalar("SELECT GROUP_CONCAT(steamid % 10, vaultname ORDER BY id) FROM u_vault"),
              "1v,2w,2w,2w,1w,1w,1w,2v");
}

// Rows are deleted by id alone, each deletion recorded as the rows' return; ids no longer (or
// never) stored are no failure and leave no record.
TEST_F(StoreOperationsTest, DeleteVaultRowsByIdOnly) {
    ASSERT_TRUE(AddItem(*store, kPlayer, "v", "Item", "00"));
    ASSERT_TRUE(AddItem(*store, kPlayer, "v", "Item", "01"));
    auto items = PeekItems(*store, kPlayer, "v", 10).records;
    ASSERT_EQ(items.Num(), 2);
    EXPECT_TRUE(store->DeleteVaultRows({items[0]->id}));
    EXPECT_TRUE(store->DeleteVaultRows({items[0]->id})) << "a missing id is no failure";
    EXPECT_TRUE(store->DeleteVaultRows({-5}));
    auto left = PeekItems(*store, kPlayer, "v", 10).records;
    ASSERT_EQ(left.Num(), 1);
    EXPECT_EQ(left[0]->id, items[1]->id);
    EXPECT_EQ(scratch.Scalar("SELECT GROUP_CONCAT(kind, ' ', rows_moved ORDER BY id) FROM u_vault_log"),
              "save 1,save 1,returned 1");
}

// A non-numeric int column fails the claim as a whole: nothing is given, and the claim's
// transaction is ended, so the rows stay and a later claim takes them.
TEST_F(StoreOperationsTest, BadIntColumnFailsTheClaimAndKeepsTheRows) {
    scratch.Exec("ALTER TABLE u_vault MODIFY qtd varchar(20)");
    ASSERT_TRUE(AddResource(*store, kPlayer, "v", "Wood", "bp", 4));
    scratch.Exec("INSERT INTO u_vault (steamid, vaultname, qtd, dtinsert) VALUES (" + std::to_string(kPlayer) +
                 ", 'v', 'many', 0)");
    ClearLog();
    const auto claimed = store->ClaimVaultItems(kPlayer, Wide("v"), 10);
    EXPECT_TRUE(claimed.failed);
    EXPECT_EQ(claimed.records.Num(), 0);
    EXPECT_EQ(Log(), (std::vector<std::string>{"[Lockbury][error] (Database/MysqlDB MySql::ClaimVaultItems) "
                                               "Unexpected DB error invalid stoi argument"}));
    scratch.Exec("DELETE FROM u_vault WHERE qtd = 'many'");  // waits for no lock of the failed claim
    const auto after = PeekItems(*store, kPlayer, "v", 10);
    ASSERT_FALSE(after.failed);
    ASSERT_EQ(after.records.Num(), 1);
    EXPECT_EQ(after.records[0]->qtd, 4);
}

TEST_F(StoreOperationsTest, ReadVaultListCountsRowsAndShowsTimeLeft) {
    const auto empty = store->ReadVaultList(kPlayer);
    EXPECT_FALSE(empty.failed);
    EXPECT_EQ(empty.records.Num(), 0);
    scratch.Exec("DROP EVENT Vault_Decay");  // rows past their time stay for the list to show

    HostRuntime::SetClockOffset(-10 * 60);  // saved ten minutes ago
    ASSERT_TRUE(AddResource(*store, kPlayer, "ore", "Stone", "bp", 500));
    HostRuntime::SetClockOffset(-2 * 3600);  // two hours ago: past the hour of decay
    ASSERT_TRUE(AddItem(*store, kPlayer, "old", "Pike", "00"));
    ASSERT_TRUE(AddItem(*store, kPlayer, "old", "Pike", "01"));
    HostRuntime::SetClockOffset(0);
    ASSERT_TRUE(AddItem(*store, kOther, "ore", "Pike", "00"));

    auto vaults = store->ReadVaultList(kPlayer).records;
    ASSERT_EQ(vaults.Num(), 2);
    std::map<std::string, VaultList> byName;
    for (const auto& v : vaults) byName[v->vaultname] = *v;
    EXPECT_EQ(byName["ore"].total, "1") << "rows are counted, not quantities";
    EXPECT_TRUE(std::regex_match(byName["ore"].falta, std::regex("00:(49:5[0-9]|50:00)"))) << byName["ore"].falta;
    EXPECT_EQ(byName["old"].total, "2");
    EXPECT_EQ(byName["old"].falta, "00:00:00");

    Lockbury::Config()["decay"] = 60 * 24 * 40;  // forty days: past the server's largest time
    vaults = store->ReadVaultList(kPlayer).records;
    ASSERT_EQ(vaults.Num(), 2);
    for (const auto& v : vaults) EXPECT_EQ(v->falta, "838:59:59");

    Lockbury::Config()["decay"] = 60 * 50;  // fifty hours: more than 24 hours show as hours
    for (const auto& v : store->ReadVaultList(kPlayer).records)
        EXPECT_TRUE(std::regex_match(v->falta, std::regex("49:49:5[0-9]|49:50:00|47:59:5[0-9]|48:00:00"))) << v->falta;

    Lockbury::Config()["decay"] = 0;
    for (const auto& v : store->ReadVaultList(kPlayer).records) EXPECT_EQ(v->falta, "00:00:00");
    EXPECT_TRUE(Log().empty());
}

// The event runs when it is made and deletes exactly the rows older than the decay time.
TEST_F(StoreOperationsTest, DecayEventDeletesRowsPastTheirTime) {
    HostRuntime::SetClockOffset(-61 * 60);
    ASSERT_TRUE(AddItem(*store, kPlayer, "old", "Pike", "00"));
    HostRuntime::SetClockOffset(-59 * 60);
    ASSERT_TRUE(AddItem(*store, kPlayer, "young", "Pike", "00"));
    HostRuntime::SetClockOffset(0);
    auto reloaded = OpenStore(scratch.Params());
    // A load does not start a run: the first comes one interval later. Brought forward to now.
    scratch.Exec("ALTER EVENT Vault_Decay ON SCHEDULE EVERY 5 MINUTE STARTS CURRENT_TIMESTAMP");
    std::string left;
    for (int i = 0; i < 100 && left != "young"; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        left = scratch.Scalar("SELECT GROUP_CONCAT(vaultname) FROM u_vault");
    }
    EXPECT_EQ(left, "young");
}

TEST_F(StoreOperationsTest, ReadVaultListWithoutDecayFails) {
    ASSERT_TRUE(AddItem(*store, kPlayer, "v", "Item", "00"));
    Lockbury::Config() = nlohmann::ordered_json::object();
    const auto list = store->ReadVaultList(kPlayer);
    EXPECT_TRUE(list.failed);
    EXPECT_EQ(list.records.Num(), 0);
    EXPECT_EQ(Log(), (std::vector<std::string>{"[Lockbury][error] (Database/MysqlDB MySql::ReadVaultList) Unexpected DB "
                                               "error [json.exception.type_error.302] type must be number, but is "
                                               "null"}));
}

}  // namespace
