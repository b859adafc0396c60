// Saving a vault, as a player types it: which items leave, how they are stored, what is refused.
#include "commands/VaultFixture.h"

namespace VaultTests {
namespace {

using Strings = std::vector<std::string>;

class SaveVault : public VaultTest {};

TEST_F(SaveVault, StoresItemsAsBytesAndResourcesAsBlueprintAndQuantity) {
    Start();
    auto& alice = Alice();
    const Sim::ItemView given = Give(alice, Spec("PrimalItem_WeaponStoneHatchet").Payload({1, 2, 3, 250}));
    Give(alice, "PrimalItemResource_Wood", 37);

    EXPECT_EQ(Say(alice, "/savevault base"), Strings{});  // a save answers only to refuse
    EXPECT_TRUE(alice.Inventory().empty());

    const auto rows = Rows(kAlice, "base");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].itemname, given.objectName);
    EXPECT_EQ(rows[0].itemdata, Lockbury::BytesToHex(given.bytes));
    EXPECT_EQ(rows[0].blueprint, "");
    EXPECT_EQ(rows[1].itemdata, "");
    EXPECT_EQ(rows[1].blueprint, ClassNamed("PrimalItemResource_Wood").blueprintPath);
    EXPECT_EQ(rows[1].qtd, "37");
}

TEST_F(SaveVault, ItemsThatMustStayNeverLeave) {
    config["blocked"] = {"Element", "clothSHIRT"};
    Start();
    auto& alice = Alice();
    Give(alice, Spec("PrimalItem_WeaponStoneHatchet").Engram());
    Give(alice, Spec("PrimalItem_WeaponStoneHatchet").Slot(2));
    Give(alice, Spec("PrimalItemArmor_ClothShirt"));  // blocked, any case
    Give(alice, Spec("PrimalItemResource_Element").Quantity(5));  // blocked and a resource
    Give(alice, Spec("PrimalItem_WeaponStoneHatchet").Initial());
    Give(alice, Spec("PrimalItemResource_Stone").Quantity(9).Initial());

    Say(alice, "/savevault base");

    EXPECT_EQ(ClassesIn(alice),
              (Strings{"PrimalItemArmor_ClothShirt", "PrimalItemResource_Element", "PrimalItem_WeaponStoneHatchet",
                       "PrimalItem_WeaponStoneHatchet", "PrimalItem_WeaponStoneHatchet"}));
    const auto rows = Rows(kAlice);
    ASSERT_EQ(rows.size(), 1u);  // the initial resource is still a resource
    EXPECT_EQ(rows[0].blueprint, ClassNamed("PrimalItemResource_Stone").blueprintPath);
    EXPECT_EQ(rows[0].qtd, "9");
}

TEST_F(SaveVault, ItemWithoutBytesStaysAndWritesNothing) {
    Start();
    auto& alice = Alice();
    Give(alice, Spec("PrimalItem_WeaponStoneHatchet").Unserialisable());
    Give(alice, "PrimalItemArmor_ClothShirt");
    Say(alice, "/savevault base");
    EXPECT_EQ(ClassesIn(alice), Strings{"PrimalItem_WeaponStoneHatchet"});
    EXPECT_EQ(Rows(kAlice).size(), 1u);
}

TEST_F(SaveVault, VaultNameIsReducedToTheAlphabet) {
    Start();
    auto& alice = Alice();
    Give(alice, "PrimalItem_WeaponStoneHatchet");
    Give(alice, "PrimalItem_WeaponStoneHatchet");
    Say(alice, "/savevault my-base! ignored words");
    ASSERT_EQ(Rows(kAlice).size(), 2u);
    EXPECT_EQ(Rows(kAlice)[0].vaultname, "my_base_");
    EXPECT_EQ(Rows(kAlice)[1].vaultname, "my_base_");
}

TEST_F(SaveVault, MissingNameIsWrongSyntaxWithTheCommandText) {
    Start();
    auto& alice = Alice();
    Give(alice, "PrimalItem_WeaponStoneHatchet");
    EXPECT_EQ(Say(alice, "/savevault"), Strings{"Use /savevault <name>"});
    EXPECT_EQ(Say(alice, "/savevault    "), Strings{"Use /savevault <name>"});
    EXPECT_EQ(alice.Inventory().size(), 1u);
    EXPECT_TRUE(Rows(kAlice).empty());
}

TEST_F(SaveVault, ANameLongerThanTheColumnIsRefused) {
    Start();
    auto& alice = Alice();
    Give(alice, "PrimalItem_WeaponStoneHatchet");
    EXPECT_EQ(Say(alice, "/savevault " + std::string(401, 'a')), Strings{"Use /savevault <name>"});
    EXPECT_EQ(alice.Inventory().size(), 1u);
    EXPECT_TRUE(Rows(kAlice).empty());

    EXPECT_EQ(Say(alice, "/savevault " + std::string(400, 'a')), Strings{});
    ASSERT_EQ(Rows(kAlice).size(), 1u);
    EXPECT_EQ(Rows(kAlice)[0].vaultname, std::string(400, 'a'));
}

TEST_F(SaveVault, DeadOrMissingCharacterEndsSilently) {
    Start();
    auto& alice = Alice();
    Give(alice, "PrimalItem_WeaponStoneHatchet");
    alice.Kill();
    EXPECT_EQ(Say(alice, "/savevault base"), Strings{});
    alice.Revive();
    alice.RemoveInventory();
    EXPECT_EQ(Say(alice, "/savevault base"), Strings{});
    EXPECT_TRUE(Rows(kAlice).empty());
}

TEST_F(SaveVault, DatabaseStoppedRemovesNothingAndSaysSo) {
    config["mysqlPort"] = 1;  // nothing listens there
    Start();
    auto& alice = Alice();
    Give(alice, "PrimalItem_WeaponStoneHatchet");
    Give(alice, "PrimalItemResource_Wood", 20);
    const auto before = alice.Inventory();
    EXPECT_EQ(Say(alice, "/savevault base"), Strings{"Store unavailable"});
    ASSERT_EQ(alice.Inventory().size(), before.size());
    for (std::size_t i = 0; i < before.size(); ++i) EXPECT_EQ(alice.Inventory()[i].bytes, before[i].bytes);
}

}  // namespace
}  // namespace VaultTests
