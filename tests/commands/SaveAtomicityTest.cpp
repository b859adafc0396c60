// A save is all or nothing: every eligible item goes into the vault in one write, or every one
// stays in the inventory and the vault gets no row of it, whatever the size of the save.
#include "Private/Vault/ItemText.h"
#include "support/PluginTest.h"

namespace {

using TestSupport::Item;
using TestSupport::Player;
using TestSupport::Strings;

class SaveAtomicity : public TestSupport::PluginStoreTest {
protected:
    // Items of 1 MB each: their rows pass the server's 16 MB packet limit together, so the
    // save needs more than one statement.
    std::vector<std::vector<std::uint8_t>> GiveLargeItems(Player& player, int count) {
        std::vector<std::vector<std::uint8_t>> bytes;
        for (int i = 0; i < count; ++i) {
            std::vector<std::uint8_t> payload(1 << 20, static_cast<std::uint8_t>(i * 37));
            payload[0] = static_cast<std::uint8_t>(i);
            bytes.push_back(player.PicksUp(Item("PrimalItem_WeaponStoneHatchet").Payload(std::move(payload))).bytes);
        }
        return bytes;
    }
    std::vector<std::vector<std::uint8_t>> BytesIn(const Player& player) {
        std::vector<std::vector<std::uint8_t>> bytes;
        for (const auto& item : player->Inventory()) bytes.push_back(item.bytes);
        return bytes;
    }
};

TEST_F(SaveAtomicity, SaveLargerThanOneStatementStoresEveryRow) {
    Start();
    auto& alice = Join("alice");
    ASSERT_EQ(db.Scalar("SELECT @@max_allowed_packet"), "16777216");
    const auto given = GiveLargeItems(alice, 10);  // about 20 MB of item text
    alice.PicksUp(Item("PrimalItemResource_Wood").Quantity(12));

    EXPECT_EQ(alice.Types("/savevault big"), Strings{});
    EXPECT_TRUE(alice->Inventory().empty());
    const auto rows = Rows(alice, "big");
    ASSERT_EQ(rows.size(), 11u);
    for (std::size_t i = 0; i < given.size(); ++i) EXPECT_EQ(rows[i].itemdata, Lockbury::BytesToHex(given[i]));
    EXPECT_EQ(rows[10].qtd, "12");
}

// The server refuses one row of the last statement; the rows of the statements before it were
// already sent inside the same transaction and must go too.
TEST_F(SaveAtomicity, RowRefusedInALaterStatementLeavesEveryItem) {
    Start();
    auto& alice = Join("alice");
    db.Exec(
        "CREATE TRIGGER refuse BEFORE INSERT ON u_vault FOR EACH ROW IF NEW.itemname LIKE "
        "'PrimalItemArmor_ClothShirt%' THEN SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = 'refused'; END IF");
    GiveLargeItems(alice, 10);
    alice.PicksUp(Item("PrimalItemResource_Wood").Quantity(12));
    alice.PicksUp(Item("PrimalItemArmor_ClothShirt").Payload({9}));  // walked last
    const auto before = BytesIn(alice);
    ExpectErrorLog("(Database/MysqlDB MySql::AddVaultRows) The vault store failed: refused (1644)");

    EXPECT_EQ(alice.Types("/savevault big"), Strings{"Store unavailable"});
    EXPECT_EQ(BytesIn(alice), before) << "every item stays, unchanged and in its order";
    EXPECT_TRUE(Rows(alice).empty());
    EXPECT_TRUE(server.EscapedErrors().empty());

    db.Exec("DROP TRIGGER refuse");
    EXPECT_EQ(alice.Types("/savevault big"), Strings{});
    EXPECT_TRUE(alice->Inventory().empty());
    EXPECT_EQ(Rows(alice).size(), 12u);
}

// The mixed kinds of a save all land in one vault in the order of the walk, and items that must
// stay are not part of the write.
TEST_F(SaveAtomicity, OnlyEligibleItemsAreWrittenTogether) {
    Start();
    auto& alice = Join("alice");
    alice.PicksUp(Item("PrimalItem_WeaponStoneHatchet").Payload({1}));
    alice.PicksUp(Item("PrimalItem_WeaponStoneHatchet").Unserialisable());
    alice.PicksUp(Item("PrimalItemResource_Stone").Quantity(3));
    alice.PicksUp(Item("PrimalItem_WeaponStoneHatchet").Engram());
    alice.PicksUp(Item("PrimalItemArmor_ClothShirt").Payload({2}));

    EXPECT_EQ(alice.Types("/savevault mix"), Strings{});
    EXPECT_EQ(alice.Classes(), (Strings{"PrimalItem_WeaponStoneHatchet", "PrimalItem_WeaponStoneHatchet"}));
    const auto rows = Rows(alice, "mix");
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].itemname.rfind("PrimalItem_WeaponStoneHatchet", 0), 0u);
    EXPECT_EQ(rows[1].qtd, "3");
    EXPECT_EQ(rows[2].itemname.rfind("PrimalItemArmor_ClothShirt", 0), 0u);

    // Nothing eligible left: nothing is written and nothing is said.
    EXPECT_EQ(alice.Types("/savevault mix"), Strings{});
    EXPECT_EQ(Rows(alice).size(), 3u);
}

}  // namespace
