// The damage hook and the checkcd report, through the simulated server: players hurt and
// hurting, the wall clock moved on, and what checkcd then tells them.
#include <gtest/gtest.h>

#include "support/PluginTest.h"

namespace {

using TestSupport::Strings;

// While it lives, every character the game is asked about is driven by the given controller.
class DrivenBy {
public:
    explicit DrivenBy(AController* controller) {
        controller_ = controller;
        EXPECT_TRUE(ArkApi::GetHooks().SetHook(kName, reinterpret_cast<LPVOID>(&Controller), &game_));
    }
    ~DrivenBy() { ArkApi::GetHooks().DisableHook(kName, reinterpret_cast<LPVOID>(&Controller)); }
    DrivenBy(const DrivenBy&) = delete;
    DrivenBy& operator=(const DrivenBy&) = delete;

private:
    using ControllerFn = AController*(APawn*);
    static constexpr const char* kName = "APawn.GetCharacterController";
    static AController* Controller(APawn*) { return controller_; }
    static inline ControllerFn* game_ = nullptr;
    static inline AController* controller_ = nullptr;
};

class CombatCooldown : public TestSupport::PluginTest {
protected:
    void Start() {  // PVPVECooldown 60
        PluginTest::Start();
        ASSERT_EQ(server.Hooks(), Strings{"APrimalCharacter.TakeDamage"});
    }
};

TEST_F(CombatCooldown, ReportCountsDownAndEndsExactlyAtTheCooldown) {
    Start();
    auto& alice = Join("alice");
    Damage(&alice, nullptr);
    server.ShiftClock(45);
    EXPECT_EQ(alice.Types("/checkcd"), Strings{"Combat cooldown: 15 seconds"});
    EXPECT_EQ(alice.Shown().kind, Sim::Output::Kind::Chat);
    EXPECT_EQ(alice.Shown().sender, "Vault");
    server.ShiftClock(15);
    EXPECT_EQ(alice.Types("/checkcd"), Strings{"Not on PVPVE Cooldown "});
    EXPECT_EQ(alice.Shown().sender, "Vault");
}

TEST_F(CombatCooldown, NeverInAFightIsNotOnCooldown) {
    Start();
    auto& alice = Join("alice");
    auto& bob = Join("bob");
    Damage(&bob, nullptr);
    EXPECT_EQ(alice.Types("/checkcd"), Strings{"Not on PVPVE Cooldown "});
}

TEST_F(CombatCooldown, BothSidesOfEveryKindOfDamageAreStamped) {
    Start();
    auto& hurtByCreature = Join("alice");
    auto& hitsCreature = Join("bob");
    auto& victim = Join("carol");
    auto& attacker = Join("dave");
    auto& bystander = Join("erin");
    Damage(&hurtByCreature, nullptr);
    Damage(nullptr, &hitsCreature);
    Damage(&victim, &attacker, 0.0f);  // a zero amount still counts
    server.ShiftClock(10);
    for (TestSupport::Player* player : {&hurtByCreature, &hitsCreature, &victim, &attacker}) {
        SCOPED_TRACE((*player)->Name());
        EXPECT_EQ(player->Types("/checkcd"), Strings{"Combat cooldown: 50 seconds"});
    }
    EXPECT_EQ(bystander.Types("/checkcd"), Strings{"Not on PVPVE Cooldown "});
}

// A player's character driven by a controller that is no player's is not stamped as the victim;
// the player who hit it still is.
TEST_F(CombatCooldown, VictimWithoutAPlayerControllerIsNotStamped) {
    Start();
    auto& alice = Join("alice");
    auto& bob = Join("bob");
    {
        DrivenBy creatureBrain(server.CreatureController());
        Damage(&alice, &bob);
    }
    EXPECT_EQ(alice.Types("/checkcd"), Strings{"Not on PVPVE Cooldown "});
    EXPECT_EQ(bob.Types("/checkcd"), Strings{"Combat cooldown: 60 seconds"});
}

TEST_F(CombatCooldown, LaterDamageMovesTheStampForward) {
    Start();
    auto& alice = Join("alice");
    Damage(&alice, &alice);  // hitting oneself counts once
    server.ShiftClock(50);
    Damage(nullptr, &alice);
    server.ShiftClock(20);
    EXPECT_EQ(alice.Types("/checkcd"), Strings{"Combat cooldown: 40 seconds"});
}

TEST_F(CombatCooldown, ClockSetBackShowsMoreThanTheCooldown) {
    Start();
    auto& alice = Join("alice");
    Damage(&alice, nullptr);
    server.ShiftClock(-10);
    EXPECT_EQ(alice.Types("/checkcd"), Strings{"Combat cooldown: 70 seconds"});
}

TEST_F(CombatCooldown, TheGameFunctionRunsWithTheSameArgumentsAndItsResultIsReturned) {
    Start();
    auto& alice = Join("alice");
    auto& bob = Join("bob");
    const int before = server.GameTakeDamageCalls();
    EXPECT_FLOAT_EQ(Damage(&alice, &bob, 37.5f), 37.5f);
    EXPECT_EQ(server.GameTakeDamageCalls(), before + 1);
    alice->Kill();
    EXPECT_FLOAT_EQ(Damage(&alice, &bob, 5.0f), 0.0f);  // the game applies nothing to the dead
    EXPECT_EQ(server.GameTakeDamageCalls(), before + 2);
}

TEST_F(CombatCooldown, UnloadRemovesTheHook) {
    Start();
    auto& alice = Join("alice");
    server.UnloadPlugin();
    EXPECT_TRUE(server.Hooks().empty());
    const int before = server.GameTakeDamageCalls();
    EXPECT_FLOAT_EQ(Damage(&alice, nullptr, 8.0f), 8.0f);
    EXPECT_EQ(server.GameTakeDamageCalls(), before + 1);
    Start();
    EXPECT_EQ(alice.Types("/checkcd"), Strings{"Not on PVPVE Cooldown "});
}

TEST_F(CombatCooldown, MissingCooldownSettingSendsNothingAndIsLoggedOnce) {
    config.erase("PVPVECooldown");
    Start();
    ExpectErrorLog(
        "[Lockbury][error] (Private/Combat Lockbury::CheckCd) "
        "[json.exception.type_error.302] type must be number, but is null");
    EXPECT_EQ(Join("alice").Types("/checkcd"), Strings{});
}

// A template that cannot be filled is reported at load and sent as it stands: the player still
// gets an answer.
TEST_F(CombatCooldown, MessageFaultsAreSentAsTheyStand) {
    config["messages"]["PVPVECooldown"] = "{} and {}";  // asks for more than it is given
    ExpectErrorLog("[Lockbury][error] config.json: messages.PVPVECooldown: cannot be filled with its 1 value(s)");
    Start();
    auto& alice = Join("alice");
    auto& bob = Join("bob");
    Damage(&alice, nullptr);
    ExpectErrorLog("[Lockbury][error] config.json: messages.PVPVECooldown: ");
    EXPECT_EQ(alice.Types("/checkcd"), Strings{"{} and {}"});
    // A missing text shows as the default; the fixed text needs only the sender.
    config["messages"].erase("PVPVECooldown");
    config["messages"].erase("sender");
    server.UnloadPlugin();
    Start();
    Damage(&alice, nullptr);
    EXPECT_EQ(alice.Types("/checkcd"), Strings{"no message found"});
    EXPECT_EQ(bob.Types("/checkcd"), Strings{"Not on PVPVE Cooldown "});
    EXPECT_EQ(bob.Shown().sender, "no message found");
}

}  // namespace
