// The save and load commands' shared cooldown, and where each command checks it among its other
// guards: a refusal after the check has started the cooldown, one before it has not.
#include "commands/VaultFixture.h"

namespace VaultTests {
namespace {

using Strings = std::vector<std::string>;

class Cooldown : public VaultTest {
protected:
    Cooldown() { config["commandCoolDown"] = 30; }
    void Hatchet(Sim::Player& player) { Give(player, "PrimalItem_WeaponStoneHatchet"); }
};

TEST_F(Cooldown, RunsThirtySecondsFromTheUseThatPassed) {
    Start();
    auto& alice = Alice();
    Hatchet(alice);
    EXPECT_EQ(Say(alice, "/savevault a"), Strings{});
    server.ShiftClock(10);
    Hatchet(alice);
    EXPECT_EQ(Say(alice, "/savevault a"), Strings{"Wait 20 seconds"});
    EXPECT_EQ(alice.Inventory().size(), 1u);
    server.ShiftClock(20);  // second 30: the refusal at 10 did not move the end
    EXPECT_EQ(Say(alice, "/savevault a"), Strings{});
    EXPECT_TRUE(alice.Inventory().empty());
    server.ShiftClock(29);
    EXPECT_EQ(Say(alice, "/loadvault a"), Strings{"Wait 1 seconds"});
}

TEST_F(Cooldown, SharedBetweenSaveAndLoadButNotBetweenPlayers) {
    Start();
    auto& alice = Alice();
    auto& bob = Bob();
    Hatchet(alice);
    Hatchet(bob);
    Say(alice, "/savevault a");
    server.ShiftClock(5);
    EXPECT_EQ(Say(alice, "/loadvault a"), Strings{"Wait 25 seconds"});
    EXPECT_EQ(Say(bob, "/savevault b"), Strings{});
    EXPECT_TRUE(bob.Inventory().empty());
}

TEST_F(Cooldown, ClockSetBackFarEndsIt) {
    Start();
    auto& alice = Alice();
    Say(alice, "/savevault a");
    server.ShiftClock(-31);
    Hatchet(alice);
    EXPECT_EQ(Say(alice, "/savevault a"), Strings{});
    EXPECT_TRUE(alice.Inventory().empty());
}

TEST_F(Cooldown, ZeroSwitchesItOff) {
    config["commandCoolDown"] = 0;
    Start();
    auto& alice = Alice();
    Hatchet(alice);
    Say(alice, "/savevault a");
    EXPECT_EQ(Say(alice, "/loadvault a"), Strings{});
    EXPECT_EQ(alice.Inventory().size(), 1u);
}

TEST_F(Cooldown, SaveRefusedForPermissionOrSyntaxHasStartedIt) {
    config["commands"]["saveVault"]["requiredPermission"] = "vault.save";
    Start();
    auto& alice = Alice();
    EXPECT_EQ(Say(alice, "/savevault a"), Strings{"No permission"});
    EXPECT_EQ(Say(alice, "/savevault a"), Strings{"Wait 30 seconds"});

    server.Grant(kBob, "vault.save");
    auto& bob = Bob();
    EXPECT_EQ(Say(bob, "/savevault"), Strings{"Use /savevault <name>"});
    EXPECT_EQ(Say(bob, "/savevault b"), Strings{"Wait 30 seconds"});
}

TEST_F(Cooldown, SaveRefusedForProximityHasNotStartedIt) {
    config["commands"]["saveVault"]["requireNearTransmiter"] = true;
    Start();
    auto& alice = Alice();
    Hatchet(alice);
    EXPECT_EQ(Say(alice, "/savevault a"), Strings{"Stand near a transmitter"});
    server.Place("TekTransmitter", {100, 0, 0});
    EXPECT_EQ(Say(alice, "/savevault a"), Strings{});
    EXPECT_TRUE(alice.Inventory().empty());
}

TEST_F(Cooldown, LoadRefusedBeforeTheCheckHasNotStartedIt) {
    config["commands"]["loadVault"]["requireNearTransmiter"] = true;
    config["commands"]["loadVault"]["requiredPermission"] = "vault.load";
    Start();
    auto& alice = Alice();
    EXPECT_EQ(Say(alice, "/loadvault a"), Strings{"Stand near a transmitter"});
    server.Place("TekTransmitter", {100, 0, 0});
    EXPECT_EQ(Say(alice, "/loadvault a"), Strings{"No permission"});
    server.Grant(kAlice, "vault.load");
    EXPECT_EQ(Say(alice, "/loadvault"), Strings{"Use /loadvault <name>"});
    EXPECT_EQ(Say(alice, "/loadvault a"), Strings{"Vault not found"});  // first to reach the check
}

TEST_F(Cooldown, LoadRefusedAfterTheCheckHasStartedIt) {
    config["nearTransmiterPoints"] = 10;
    config["commands"]["loadVault"]["requireNearTransmiter"] = true;
    Start();
    server.Place("TekTransmitter", {100, 0, 0});
    auto& alice = Alice();
    EXPECT_EQ(Say(alice, "/loadvault a"), Strings{"Vault not found"});
    EXPECT_EQ(Say(alice, "/loadvault a"), Strings{"Wait 30 seconds"});

    auto& bob = Bob();
    Hatchet(bob);
    Say(bob, "/savevault b");
    server.ShiftClock(30);
    EXPECT_EQ(Say(bob, "/loadvault b"), Strings{"Not enough points"});
    EXPECT_EQ(Say(bob, "/loadvault b"), Strings{"Wait 30 seconds"});

    server.ShiftClock(30);
    for (int i = 0; i < 299; ++i) Give(bob, "PrimalItemResource_Wood");
    EXPECT_EQ(Say(bob, "/loadvault b"), Strings{"Inventory full"});
    EXPECT_EQ(Say(bob, "/loadvault b"), Strings{"Wait 30 seconds"});
}

TEST_F(Cooldown, DeadPlayerIsRefusedSilentlyWithoutStartingIt) {
    Start();
    auto& alice = Alice();
    alice.Kill();
    EXPECT_EQ(Say(alice, "/savevault a"), Strings{});
    EXPECT_EQ(Say(alice, "/loadvault a"), Strings{});
    alice.Revive();
    EXPECT_EQ(Say(alice, "/loadvault a"), Strings{"Vault not found"});
}

TEST_F(Cooldown, ReloadForgetsEveryCooldown) {
    Start();
    auto& alice = Alice();
    Say(alice, "/savevault a");
    server.ReloadPlugin();
    EXPECT_EQ(Say(alice, "/loadvault a"), Strings{"Vault not found"});
}

TEST_F(Cooldown, TextInsteadOfANumberStopsTheCommandSilently) {
    config["commandCoolDown"] = "30";
    Start();
    auto& alice = Alice();
    Hatchet(alice);
    EXPECT_EQ(Say(alice, "/savevault a"), Strings{});
    EXPECT_EQ(alice.Inventory().size(), 1u);
    EXPECT_EQ(LogLinesContaining("type must be number, but is string"), 1);
    EXPECT_TRUE(server.EscapedErrors().empty());
}

}  // namespace
}  // namespace VaultTests
