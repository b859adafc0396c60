// The save and load commands' shared cooldown, and where each command checks it among its other
// guards: a refusal after the check has started the cooldown, one before it has not.
#include "support/PluginTest.h"

namespace {

using TestSupport::Item;
using TestSupport::Player;
using TestSupport::Strings;

class Cooldown : public TestSupport::PluginStoreTest {
protected:
    Cooldown() { config["commandCoolDown"] = 30; }
    static void Hatchet(Player& player) { player.PicksUp(Item("PrimalItem_WeaponStoneHatchet")); }
};

TEST_F(Cooldown, RunsThirtySecondsFromTheUseThatPassed) {
    Start();
    auto& alice = Join("alice");
    Hatchet(alice);
    EXPECT_EQ(alice.Types("/savevault a"), Strings{});
    server.ShiftClock(10);
    Hatchet(alice);
    EXPECT_EQ(alice.Types("/savevault a"), Strings{"Wait 20 seconds"});
    EXPECT_EQ(alice->Inventory().size(), 1u);
    server.ShiftClock(20);  // second 30: the refusal at 10 did not move the end
    EXPECT_EQ(alice.Types("/savevault a"), Strings{});
    EXPECT_TRUE(alice->Inventory().empty());
    server.ShiftClock(29);
    EXPECT_EQ(alice.Types("/loadvault a"), Strings{"Wait 1 seconds"});
}

TEST_F(Cooldown, SharedBetweenSaveAndLoadButNotBetweenPlayers) {
    Start();
    auto& alice = Join("alice");
    auto& bob = Join("bob");
    Hatchet(alice);
    Hatchet(bob);
    alice.Types("/savevault a");
    server.ShiftClock(5);
    EXPECT_EQ(alice.Types("/loadvault a"), Strings{"Wait 25 seconds"});
    EXPECT_EQ(bob.Types("/savevault b"), Strings{});
    EXPECT_TRUE(bob->Inventory().empty());
}

TEST_F(Cooldown, ClockSetBackFarEndsIt) {
    Start();
    auto& alice = Join("alice");
    alice.Types("/savevault a");
    server.ShiftClock(-31);
    Hatchet(alice);
    EXPECT_EQ(alice.Types("/savevault a"), Strings{});
    EXPECT_TRUE(alice->Inventory().empty());
}

TEST_F(Cooldown, ZeroSwitchesItOff) {
    config["commandCoolDown"] = 0;
    Start();
    auto& alice = Join("alice");
    Hatchet(alice);
    alice.Types("/savevault a");
    EXPECT_EQ(alice.Types("/loadvault a"), Strings{});
    EXPECT_EQ(alice->Inventory().size(), 1u);
}

TEST_F(Cooldown, SaveRefusedForPermissionOrSyntaxHasStartedIt) {
    config["commands"]["saveVault"]["requiredPermission"] = "vault.save";
    Start();
    auto& alice = Join("alice");
    EXPECT_EQ(alice.Types("/savevault a"), Strings{"No permission"});
    EXPECT_EQ(alice.Types("/savevault a"), Strings{"Wait 30 seconds"});

    auto& bob = Join("bob");
    server.Grant(bob->SteamId(), "vault.save");
    EXPECT_EQ(bob.Types("/savevault"), Strings{"Use /savevault <name>"});
    EXPECT_EQ(bob.Types("/savevault b"), Strings{"Wait 30 seconds"});
}

TEST_F(Cooldown, SaveRefusedForProximityHasNotStartedIt) {
    config["commands"]["saveVault"]["requireNearTransmiter"] = true;
    Start();
    auto& alice = Join("alice");
    Hatchet(alice);
    EXPECT_EQ(alice.Types("/savevault a"), Strings{"Stand near a transmitter"});
    server.Place("TekTransmitter", {100, 0, 0});
    EXPECT_EQ(alice.Types("/savevault a"), Strings{});
    EXPECT_TRUE(alice->Inventory().empty());
}

TEST_F(Cooldown, LoadRefusedBeforeTheCheckHasNotStartedIt) {
    config["commands"]["loadVault"]["requireNearTransmiter"] = true;
    config["commands"]["loadVault"]["requiredPermission"] = "vault.load";
    Start();
    auto& alice = Join("alice");
    EXPECT_EQ(alice.Types("/loadvault a"), Strings{"Stand near a transmitter"});
    server.Place("TekTransmitter", {100, 0, 0});
    EXPECT_EQ(alice.Types("/loadvault a"), Strings{"No permission"});
    server.Grant(alice->SteamId(), "vault.load");
    EXPECT_EQ(alice.Types("/loadvault"), Strings{"Use /loadvault <name>"});
    EXPECT_EQ(alice.Types("/loadvault a"), Strings{"Vault not found"});  // first to reach the check
}

TEST_F(Cooldown, LoadRefusedAfterTheCheckHasStartedIt) {
    config["nearTransmiterPoints"] = 10;
    config["commands"]["loadVault"]["requireNearTransmiter"] = true;
    Start();
    server.Place("TekTransmitter", {100, 0, 0});
    auto& alice = Join("alice");
    EXPECT_EQ(alice.Types("/loadvault a"), Strings{"Vault not found"});
    EXPECT_EQ(alice.Types("/loadvault a"), Strings{"Wait 30 seconds"});

    auto& bob = Join("bob");
    Hatchet(bob);
    bob.Types("/savevault b");
    server.ShiftClock(30);
    EXPECT_EQ(bob.Types("/loadvault b"), Strings{"Not enough points"});
    EXPECT_EQ(bob.Types("/loadvault b"), Strings{"Wait 30 seconds"});

    server.ShiftClock(30);
    for (int i = 0; i < 299; ++i) bob.PicksUp(Item("PrimalItemResource_Wood"));
    EXPECT_EQ(bob.Types("/loadvault b"), Strings{"Inventory full"});
    EXPECT_EQ(bob.Types("/loadvault b"), Strings{"Wait 30 seconds"});
}

TEST_F(Cooldown, DeadPlayerIsRefusedSilentlyWithoutStartingIt) {
    Start();
    auto& alice = Join("alice");
    alice->Kill();
    EXPECT_EQ(alice.Types("/savevault a"), Strings{});
    EXPECT_EQ(alice.Types("/loadvault a"), Strings{});
    alice->Revive();
    EXPECT_EQ(alice.Types("/loadvault a"), Strings{"Vault not found"});
}

TEST_F(Cooldown, ReloadForgetsEveryCooldown) {
    Start();
    auto& alice = Join("alice");
    alice.Types("/savevault a");
    server.ReloadPlugin();
    EXPECT_EQ(alice.Types("/loadvault a"), Strings{"Vault not found"});
}

TEST_F(Cooldown, TextInsteadOfANumberStopsTheCommandSilently) {
    config["commandCoolDown"] = "30";
    ExpectErrorLog("config.json: commandCoolDown: must be a whole number from 0 to 2147483647, not string");
    ExpectErrorLog(
        "(Private/Commands Lockbury::Commands::SaveVault) [json.exception.type_error.302] type must be number, but is string");
    Start();
    auto& alice = Join("alice");
    Hatchet(alice);
    EXPECT_EQ(alice.Types("/savevault a"), Strings{});
    EXPECT_EQ(alice->Inventory().size(), 1u);
    EXPECT_EQ(LogLinesContaining("type must be number, but is string"), 1);
    EXPECT_TRUE(server.EscapedErrors().empty());
}

}  // namespace
