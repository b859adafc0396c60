// Listing vaults: one green notification with every vault, for anyone, at any time.
#include "support/PluginTest.h"

namespace {

using TestSupport::Item;
using TestSupport::Player;
using TestSupport::Strings;

class ListVault : public TestSupport::PluginStoreTest {
protected:
    // The one notification the player got from the list command.
    Sim::Output ListedFor(Player& player, const std::string& line = "/listvault") {
        EXPECT_EQ(player.Types(line).size(), 1u);
        return player.Shown(0);
    }
};

TEST_F(ListVault, NoVaultIsShownGreenForFifteenSeconds) {
    Start();
    const Sim::Output out = ListedFor(Join("alice"));
    EXPECT_EQ(out.kind, Sim::Output::Kind::Notify);
    EXPECT_EQ(out.text, "No vaults");
    EXPECT_EQ(out.colour, FLinearColor(0.0f, 1.0f, 0.0f, 1.0f));
    EXPECT_FLOAT_EQ(out.scale, 1.3f);
    EXPECT_FLOAT_EQ(out.seconds, 15.0f);
    EXPECT_FALSE(out.hasIcon);
    EXPECT_FALSE(out.hasSound);
}

TEST_F(ListVault, VaultsAreJoinedWithNothingBetween) {
    config["messages"]["vaultList"] = "[{}:{}:{}]";
    config["decay"] = 1000000;  // far beyond the server's 838-hour clip
    Start();
    auto& alice = Join("alice");
    alice.PicksUp(Item("PrimalItem_WeaponStoneHatchet"));
    alice.PicksUp(Item("PrimalItem_WeaponStoneHatchet"));
    alice.Types("/savevault alpha");
    alice.PicksUp(Item("PrimalItemResource_Wood").Quantity(5));
    alice.Types("/savevault beta");

    const std::string text = ListedFor(alice, "/listvault words are ignored").text;
    const std::string a = "[alpha:2:838:59:59]", b = "[beta:1:838:59:59]";
    EXPECT_TRUE(text == a + b || text == b + a) << text;
    EXPECT_EQ(ListedFor(Join("bob")).text, "No vaults");
}

TEST_F(ListVault, DueVaultShowsNoTimeLeft) {
    config["messages"]["vaultList"] = "{} {} {}";
    Start();
    auto& alice = Join("alice");
    alice.PicksUp(Item("PrimalItem_WeaponStoneHatchet"));
    alice.Types("/savevault old");
    db.Exec("DROP EVENT IF EXISTS Vault_Decay");  // past due, but not yet removed
    db.Exec("UPDATE u_vault SET dtinsert = dtinsert - 7200");
    EXPECT_EQ(ListedFor(alice).text, "old 1 00:00:00");
}

TEST_F(ListVault, TemplateBracesInTheResultAreShownAsTheyAre) {
    config["messages"]["noVault"] = "{{none}}";
    Start();
    EXPECT_EQ(ListedFor(Join("alice")).text, "{none}");
}

TEST_F(ListVault, HasNoGuardAndStartsNoCooldown) {
    config["commandCoolDown"] = 30;
    config["commands"]["saveVault"]["requireNearTransmiter"] = true;
    config["commands"]["saveVault"]["requiredPermission"] = "vault.use";
    Start();
    auto& alice = Join("alice");
    alice->Kill();
    EXPECT_EQ(ListedFor(alice).text, "No vaults");  // dead, far from any transmitter, no permission
    alice->Revive();
    server.Place("TekTransmitter", {0, 0, 0});
    server.Grant(alice->SteamId(), "vault.use");
    alice.PicksUp(Item("PrimalItem_WeaponStoneHatchet"));
    EXPECT_EQ(alice.Types("/savevault base"), Strings{});
    EXPECT_EQ(ListedFor(alice).text.rfind("base", 0), 0u);  // listing during the cooldown
}

// A failure is never shown as an answer; a configuration written before the message existed
// gets its built-in text.
TEST_F(ListVault, DatabaseStoppedSaysTheStoreCannotBeReached) {
    StoreDown();
    config["messages"].erase("storeUnavailable");
    ExpectErrorLog("(Database/MysqlDB MySql::ReadVaultList) The vault store failed");
    Start();
    EXPECT_EQ(ListedFor(Join("alice")).text, "The vault store cannot be reached right now; nothing was moved.");
}

}  // namespace
