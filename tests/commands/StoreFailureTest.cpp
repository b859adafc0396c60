// The store failing in the middle of a load. A real server cannot be made to fail exactly at the
// n-th statement, so this test runs the plugin's code in this process (Load called directly
// instead of loading the shared library) and puts a failing wrapper around its store.
#include <set>

#include "Private/Plugin.h"
#include "Private/Store.h"
#include "commands/VaultFixture.h"

namespace VaultTests {
namespace {

// Passes statements to the real store until the n-th, from which on every one fails as the
// store reports a stopped server: adds and deletes false, reads empty.
class FailingStore : public IDatabase {
public:
    FailingStore(IDatabase& inner, int failFrom) : inner_(&inner), failFrom_(failFrom) {}

    bool AddVaultItem(std::uint64_t steamid, const FString& vaultname, const FString& itemname,
                      const std::string& itemdata) override {
        return Pass() && inner_->AddVaultItem(steamid, vaultname, itemname, itemdata);
    }
    bool AddVaultResource(std::uint64_t steamid, const FString& vaultname, const FString& itemname,
                          const FString& blueprint, std::int32_t qtd) override {
        return Pass() && inner_->AddVaultResource(steamid, vaultname, itemname, blueprint, qtd);
    }
    bool AddVaultRows(std::uint64_t steamid, const FString& vaultname, const std::vector<VaultRow>& rows) override {
        return Pass() && inner_->AddVaultRows(steamid, vaultname, rows);
    }
    TArray<std::shared_ptr<VaultItem>> GetVaultItems(std::uint64_t steamid, const FString& vaultname,
                                                     std::int32_t limit) override {
        if (!Pass()) return {};
        return inner_->GetVaultItems(steamid, vaultname, limit);
    }
    bool DeleteVaultItem(std::int32_t id) override { return Pass() && inner_->DeleteVaultItem(id); }
    TArray<std::shared_ptr<VaultList>> ListVault(std::uint64_t steamid) override {
        if (!Pass()) return {};
        return inner_->ListVault(steamid);
    }

private:
    bool Pass() { return ++statements_ < failFrom_; }

    IDatabase* inner_;  // the real store, kept by the test
    int failFrom_;
    int statements_ = 0;
};

class StoreFailure : public VaultTest {
protected:
    void StartInProcess() {
        server.WriteConfig(config);
        Lockbury::Load();
        realStore_ = std::move(Lockbury::database());
        ASSERT_TRUE(realStore_);
    }
    ~StoreFailure() override {
        Lockbury::Unload();
        Lockbury::database().reset();
        realStore_.reset();
    }
    // From now on the n-th statement (counting from 1) and every later one fail.
    void FailFromStatement(int n) { Lockbury::database() = std::make_unique<FailingStore>(*realStore_, n); }

    // How often each saved item exists now, in the inventory and in the vault together.
    std::map<std::vector<std::uint8_t>, int> Copies(Sim::Player& player) {
        std::map<std::vector<std::uint8_t>, int> copies;
        for (const auto& item : player.Inventory()) ++copies[item.payload];
        for (const auto& row : Rows(player.SteamId())) {
            const TArray<unsigned char> bytes = Lockbury::HexToBytes(row.itemdata);
            auto item = Sim::Server::Decode({bytes.begin(), bytes.end()});
            EXPECT_TRUE(item.has_value());
            if (item) ++copies[item->payload];
        }
        return copies;
    }

    std::unique_ptr<IDatabase> realStore_;
};

TEST_F(StoreFailure, StoppedMidLoadDuplicatesAtMostOneItem) {
    constexpr int kItems = 5;
    StartInProcess();
    // Statement 1 reads the rows; statement k + 1 deletes the k-th given row.
    for (int failing = 1; failing <= kItems + 2; ++failing) {
        SCOPED_TRACE("failing from statement " + std::to_string(failing));
        auto& player = Joined("p" + std::to_string(failing), 1000 + failing);
        FailFromStatement(1000);
        for (int i = 0; i < kItems; ++i)
            Give(player, Spec("PrimalItem_WeaponStoneHatchet").Payload({static_cast<std::uint8_t>(i)}));
        Say(player, "/savevault base");
        ASSERT_EQ(Rows(player.SteamId()).size(), static_cast<std::size_t>(kItems));

        FailFromStatement(failing);
        server.ClearLog();
        const auto told = Say(player, "/loadvault base");

        const auto copies = Copies(player);
        ASSERT_EQ(copies.size(), static_cast<std::size_t>(kItems)) << "an item was lost";
        int doubled = 0;
        for (const auto& [payload, count] : copies) doubled += count - 1;
        if (failing == 1) {
            EXPECT_EQ(told, std::vector<std::string>{"Vault not found"});
            EXPECT_EQ(doubled, 0);
        } else if (failing <= kItems + 1) {
            EXPECT_EQ(told, std::vector<std::string>{});
            EXPECT_EQ(doubled, 1);
            EXPECT_EQ(player.Inventory().size(), static_cast<std::size_t>(failing - 1)) << "the load went on";
            EXPECT_EQ(LogLinesContaining("could not be deleted"), 1);
        } else {
            EXPECT_EQ(doubled, 0);  // every delete went through
            EXPECT_TRUE(Rows(player.SteamId()).empty());
        }
    }
}

// A save is one write: when the store refuses it, every item stays and no row is left behind.
TEST_F(StoreFailure, FailedSaveKeepsEveryItemAndWritesNoRow) {
    StartInProcess();
    auto& player = Joined("saver", 2001);
    for (int i = 0; i < 4; ++i)
        Give(player, Spec("PrimalItem_WeaponStoneHatchet").Payload({static_cast<std::uint8_t>(i)}));
    Give(player, "PrimalItemResource_Wood", 30);
    const auto before = player.Inventory();

    FailFromStatement(1);
    EXPECT_EQ(Say(player, "/savevault base"), std::vector<std::string>{});
    const auto after = player.Inventory();
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t i = 0; i < before.size(); ++i) EXPECT_EQ(after[i].bytes, before[i].bytes);
    EXPECT_TRUE(Rows(player.SteamId()).empty());

    FailFromStatement(1000);
    Say(player, "/savevault base");
    EXPECT_TRUE(player.Inventory().empty());
    EXPECT_EQ(Rows(player.SteamId()).size(), before.size());
}

}  // namespace
}  // namespace VaultTests
