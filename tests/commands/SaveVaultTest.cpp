// Saving a vault, as a player types it: which items leave, how they are stored, what is refused.
#include "Private/Vault/ItemText.h"
#include "support/PluginTest.h"

namespace {

using TestSupport::Item;
using TestSupport::Strings;

class SaveVault : public TestSupport::PluginStoreTest {
protected:
    // The plugin loaded with the configuration as the test left it, and Alice just joined.
    TestSupport::Player& Alice() {
        Start();
        return Join("alice");
    }
};

TEST_F(SaveVault, StoresItemsAsBytesAndResourcesAsBlueprintAndQuantity) {
    auto& alice = Alice();
    const Sim::ItemView given = alice.PicksUp(Item("PrimalItem_WeaponStoneHatchet").Payload({1, 2, 3, 250}));
    alice.PicksUp(Item("PrimalItemResource_Wood").Quantity(37));

    EXPECT_EQ(alice.Types("/savevault base"), Strings{});  // a save answers only to refuse
    EXPECT_TRUE(alice->Inventory().empty());

    const auto rows = Rows(alice, "base");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].itemname, given.objectName);
    EXPECT_EQ(rows[0].itemdata, Lockbury::BytesToHex(given.bytes));
    EXPECT_EQ(rows[0].blueprint, "");
    EXPECT_EQ(rows[1].itemdata, "");
    EXPECT_EQ(rows[1].blueprint, Item::Blueprint("PrimalItemResource_Wood"));
    EXPECT_EQ(rows[1].qtd, "37");
}

TEST_F(SaveVault, ItemsThatMustStayNeverLeave) {
    config["blocked"] = {"Element", "clothSHIRT"};
    auto& alice = Alice();
    alice.PicksUp(Item("PrimalItem_WeaponStoneHatchet").Engram());
    alice.PicksUp(Item("PrimalItem_WeaponStoneHatchet").Slot(2));
    alice.PicksUp(Item("PrimalItemArmor_ClothShirt"));  // blocked, any case
    alice.PicksUp(Item("PrimalItemResource_Element").Quantity(5));  // blocked and a resource
    alice.PicksUp(Item("PrimalItem_WeaponStoneHatchet").Initial());
    alice.PicksUp(Item("PrimalItemResource_Stone").Quantity(9).Initial());

    alice.Types("/savevault base");

    EXPECT_EQ(alice.Classes(),
              (Strings{"PrimalItemArmor_ClothShirt", "PrimalItemResource_Element", "PrimalItem_WeaponStoneHatchet",
                       "PrimalItem_WeaponStoneHatchet", "PrimalItem_WeaponStoneHatchet"}));
    const auto rows = Rows(alice);
    ASSERT_EQ(rows.size(), 1u);  // the initial resource is still a resource
    EXPECT_EQ(rows[0].blueprint, Item::Blueprint("PrimalItemResource_Stone"));
    EXPECT_EQ(rows[0].qtd, "9");
}

TEST_F(SaveVault, ItemWithoutBytesStaysAndWritesNothing) {
    auto& alice = Alice();
    alice.PicksUp(Item("PrimalItem_WeaponStoneHatchet").Unserialisable());
    alice.PicksUp(Item("PrimalItemArmor_ClothShirt"));
    alice.Types("/savevault base");
    EXPECT_EQ(alice.Classes(), Strings{"PrimalItem_WeaponStoneHatchet"});
    EXPECT_EQ(Rows(alice).size(), 1u);
}

TEST_F(SaveVault, VaultNameIsReducedToTheAlphabet) {
    auto& alice = Alice();
    alice.PicksUp(Item("PrimalItem_WeaponStoneHatchet"));
    alice.PicksUp(Item("PrimalItem_WeaponStoneHatchet"));
    alice.Types("/savevault my-base! ignored words");
    ASSERT_EQ(Rows(alice).size(), 2u);
    EXPECT_EQ(Rows(alice)[0].vaultname, "my_base_");
    EXPECT_EQ(Rows(alice)[1].vaultname, "my_base_");
}

TEST_F(SaveVault, MissingNameIsWrongSyntaxWithTheCommandText) {
    auto& alice = Alice();
    alice.PicksUp(Item("PrimalItem_WeaponStoneHatchet"));
    EXPECT_EQ(alice.Types("/savevault"), Strings{"Use /savevault <name>"});
    EXPECT_EQ(alice.Types("/savevault    "), Strings{"Use /savevault <name>"});
    EXPECT_EQ(alice->Inventory().size(), 1u);
    EXPECT_TRUE(Rows(alice).empty());
}

TEST_F(SaveVault, ANameLongerThanTheColumnIsRefused) {
    auto& alice = Alice();
    alice.PicksUp(Item("PrimalItem_WeaponStoneHatchet"));
    EXPECT_EQ(alice.Types("/savevault " + std::string(401, 'a')), Strings{"Use /savevault <name>"});
    EXPECT_EQ(alice->Inventory().size(), 1u);
    EXPECT_TRUE(Rows(alice).empty());

    EXPECT_EQ(alice.Types("/savevault " + std::string(400, 'a')), Strings{});
    ASSERT_EQ(Rows(alice).size(), 1u);
    EXPECT_EQ(Rows(alice)[0].vaultname, std::string(400, 'a'));
}

TEST_F(SaveVault, DeadOrMissingCharacterEndsSilently) {
    auto& alice = Alice();
    alice.PicksUp(Item("PrimalItem_WeaponStoneHatchet"));
    alice->Kill();
    EXPECT_EQ(alice.Types("/savevault base"), Strings{});
    alice->Revive();
    alice->RemoveInventory();
    EXPECT_EQ(alice.Types("/savevault base"), Strings{});
    EXPECT_TRUE(Rows(alice).empty());
}

// A fight holds back no save.
TEST_F(SaveVault, SavingDuringCombatIsNotRefused) {
    auto& alice = Alice();
    alice.PicksUp(Item("PrimalItem_WeaponStoneHatchet"));
    Damage(&alice, nullptr);
    EXPECT_EQ(alice.Types("/savevault fight"), Strings{});
    EXPECT_TRUE(alice->Inventory().empty());
    EXPECT_EQ(Rows(alice, "fight").size(), 1u);
}

TEST_F(SaveVault, DatabaseStoppedRemovesNothingAndSaysSo) {
    StoreDown();
    ExpectErrorLog("(Database/MysqlDB MySql::AddVaultRows) The vault store failed");
    auto& alice = Alice();
    alice.PicksUp(Item("PrimalItem_WeaponStoneHatchet"));
    alice.PicksUp(Item("PrimalItemResource_Wood").Quantity(20));
    const auto before = alice->Inventory();
    EXPECT_EQ(alice.Types("/savevault base"), Strings{"Store unavailable"});
    ASSERT_EQ(alice->Inventory().size(), before.size());
    for (std::size_t i = 0; i < before.size(); ++i) EXPECT_EQ(alice->Inventory()[i].bytes, before[i].bytes);
}

}  // namespace
