// The five store operations against the test server: rows, hostile texts, limits, the list.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <map>
#include <regex>
#include <string>
#include <thread>

#include "StoreEnvironment.h"

namespace {

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
    ASSERT_TRUE(store->AddVaultItem(kPlayer, Wide("main"), Wide("PrimalItem_WeaponPike_C_3"), "0a1bff"));
    ASSERT_TRUE(store->AddVaultResource(kPlayer, Wide("main"), Wide("PrimalItemResource_Wood_C_9"),
                                        Wide("Blueprint'/Game/Resources/PrimalItemResource_Wood.PrimalItemResource_Wood'"),
                                        500));
    ASSERT_TRUE(store->AddVaultItem(kOther, Wide("main"), Wide("Other"), "ff"));

    auto items = store->GetVaultItems(kPlayer, Wide("main"), 10);
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
        ASSERT_TRUE(store->AddVaultItem(kPlayer, Wide(text), Wide(text), text));
        ASSERT_TRUE(store->AddVaultResource(kPlayer, Wide(text), Wide(text), Wide(text), 3));
        auto items = store->GetVaultItems(kPlayer, Wide(text), 10);
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

    auto vaults = store->ListVault(kPlayer);
    ASSERT_EQ(vaults.Num(), static_cast<int>(std::size(hostile)));
    for (const auto& text : hostile) {
        bool found = false;
        for (const auto& vault : vaults) found = found || vault->vaultname == text;
        EXPECT_TRUE(found) << text;
    }
}

// A database in a single-byte character set refuses what it cannot hold; nothing is stored cut.
TEST_F(StoreTestBase, MultiByteTextInALatin1DatabaseFailsCleanly) {
    TestSupport::ScratchDatabase scratch;
    scratch.Exec("ALTER DATABASE " + scratch.Params().database + " CHARACTER SET latin1");
    auto store = OpenStore(scratch.Params());
    EXPECT_TRUE(store->AddVaultItem(kPlayer, Wide("café"), Wide("Item"), "00"));
    EXPECT_FALSE(store->AddVaultItem(kPlayer, Wide("сейф_🔒"), Wide("Item"), "00"));
    EXPECT_EQ(scratch.Scalar("SELECT GROUP_CONCAT(vaultname) FROM u_vault"), "café");
}

TEST_F(StoreOperationsTest, GetVaultItemsKeepsToItsLimit) {
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(store->AddVaultItem(kPlayer, Wide("v"), Wide("Item"), "00"));
    EXPECT_EQ(store->GetVaultItems(kPlayer, Wide("v"), 2).Num(), 2);
    EXPECT_EQ(store->GetVaultItems(kPlayer, Wide("v"), 3).Num(), 3);
    EXPECT_EQ(store->GetVaultItems(kPlayer, Wide("v"), 0).Num(), 0);
    EXPECT_EQ(store->GetVaultItems(kPlayer, Wide("v"), -1).Num(), 0);
    EXPECT_EQ(store->GetVaultItems(kPlayer, Wide("unknown"), 10).Num(), 0);
    EXPECT_EQ(store->GetVaultItems(kOther, Wide("v"), 10).Num(), 0);
    const auto log = Log();
    EXPECT_EQ(std::count(log.begin(), log.end(), "[Lockbury][info] Took 0 seconds to load from mysql"), 6)
        << "every read logs its timing, the failed one too";
    ASSERT_EQ(log.size(), 7u);
    EXPECT_EQ(log[3].rfind("[Lockbury][error] (Database/MysqlDB MySql::GetVaultItems) The vault store failed: You "
                           "have an error in your SQL syntax",
                           0),
              0u)
        << log[3];
}

TEST_F(StoreOperationsTest, DeleteVaultItemByIdOnly) {
    ASSERT_TRUE(store->AddVaultItem(kPlayer, Wide("v"), Wide("Item"), "00"));
    ASSERT_TRUE(store->AddVaultItem(kPlayer, Wide("v"), Wide("Item"), "01"));
    auto items = store->GetVaultItems(kPlayer, Wide("v"), 10);
    ASSERT_EQ(items.Num(), 2);
    EXPECT_TRUE(store->DeleteVaultItem(items[0]->id));
    EXPECT_TRUE(store->DeleteVaultItem(items[0]->id)) << "a missing id is no failure";
    EXPECT_TRUE(store->DeleteVaultItem(-5));
    auto left = store->GetVaultItems(kPlayer, Wide("v"), 10);
    ASSERT_EQ(left.Num(), 1);
    EXPECT_EQ(left[0]->id, items[1]->id);
}

// A non-numeric int column ends the read with the records made so far and an error line.
TEST_F(StoreOperationsTest, BadIntColumnEndsTheReadWithTheRowsBeforeIt) {
    scratch.Exec("ALTER TABLE u_vault MODIFY qtd varchar(20)");
    ASSERT_TRUE(store->AddVaultResource(kPlayer, Wide("v"), Wide("Wood"), Wide("bp"), 4));
    scratch.Exec("INSERT INTO u_vault (steamid, vaultname, qtd, dtinsert) VALUES (" + std::to_string(kPlayer) +
                 ", 'v', 'many', 0)");
    ClearLog();
    auto items = store->GetVaultItems(kPlayer, Wide("v"), 10);
    ASSERT_EQ(items.Num(), 1);
    EXPECT_EQ(items[0]->qtd, 4);
    EXPECT_EQ(Log(), (std::vector<std::string>{"[Lockbury][error] (Database/MysqlDB MySql::GetVaultItems) "
                                               "Unexpected DB error invalid stoi argument"}));
}

TEST_F(StoreOperationsTest, ListVaultCountsRowsAndShowsTimeLeft) {
    EXPECT_EQ(store->ListVault(kPlayer).Num(), 0);
    scratch.Exec("DROP EVENT Vault_Decay");  // rows past their time stay for the list to show

    HostRuntime::SetClockOffset(-10 * 60);  // saved ten minutes ago
    ASSERT_TRUE(store->AddVaultResource(kPlayer, Wide("ore"), Wide("Stone"), Wide("bp"), 500));
    HostRuntime::SetClockOffset(-2 * 3600);  // two hours ago: past the hour of decay
    ASSERT_TRUE(store->AddVaultItem(kPlayer, Wide("old"), Wide("Pike"), "00"));
    ASSERT_TRUE(store->AddVaultItem(kPlayer, Wide("old"), Wide("Pike"), "01"));
    HostRuntime::SetClockOffset(0);
    ASSERT_TRUE(store->AddVaultItem(kOther, Wide("ore"), Wide("Pike"), "00"));

    auto vaults = store->ListVault(kPlayer);
    ASSERT_EQ(vaults.Num(), 2);
    std::map<std::string, VaultList> byName;
    for (const auto& v : vaults) byName[v->vaultname] = *v;
    EXPECT_EQ(byName["ore"].total, "1") << "rows are counted, not quantities";
    EXPECT_TRUE(std::regex_match(byName["ore"].falta, std::regex("00:(49:5[0-9]|50:00)"))) << byName["ore"].falta;
    EXPECT_EQ(byName["old"].total, "2");
    EXPECT_EQ(byName["old"].falta, "00:00:00");

    Lockbury::Config()["decay"] = 60 * 24 * 40;  // forty days: past the server's largest time
    vaults = store->ListVault(kPlayer);
    ASSERT_EQ(vaults.Num(), 2);
    for (const auto& v : vaults) EXPECT_EQ(v->falta, "838:59:59");

    Lockbury::Config()["decay"] = 60 * 50;  // fifty hours: more than 24 hours show as hours
    for (const auto& v : store->ListVault(kPlayer))
        EXPECT_TRUE(std::regex_match(v->falta, std::regex("49:49:5[0-9]|49:50:00|47:59:5[0-9]|48:00:00"))) << v->falta;

    Lockbury::Config()["decay"] = 0;
    for (const auto& v : store->ListVault(kPlayer)) EXPECT_EQ(v->falta, "00:00:00");
    EXPECT_TRUE(Log().empty());
}

// The event runs when it is made and deletes exactly the rows older than the decay time.
TEST_F(StoreOperationsTest, DecayEventDeletesRowsPastTheirTime) {
    HostRuntime::SetClockOffset(-61 * 60);
    ASSERT_TRUE(store->AddVaultItem(kPlayer, Wide("old"), Wide("Pike"), "00"));
    HostRuntime::SetClockOffset(-59 * 60);
    ASSERT_TRUE(store->AddVaultItem(kPlayer, Wide("young"), Wide("Pike"), "00"));
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

TEST_F(StoreOperationsTest, ListVaultWithoutDecayLogsAndGivesNothing) {
    ASSERT_TRUE(store->AddVaultItem(kPlayer, Wide("v"), Wide("Item"), "00"));
    Lockbury::Config() = nlohmann::ordered_json::object();
    EXPECT_EQ(store->ListVault(kPlayer).Num(), 0);
    EXPECT_EQ(Log(), (std::vector<std::string>{"[Lockbury][error] (Database/MysqlDB MySql::ReadVaultList) Unexpected DB "
                                               "error [json.exception.type_error.302] type must be number, but is "
                                               "null"}));
}

}  // namespace
