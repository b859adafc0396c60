// The damage hook and the checkcd report, through the simulated server: players hurt and
// hurting, the wall clock moved on, and what checkcd then tells them.
#include <gtest/gtest.h>

#include "HostRuntime/HostState.h"
#include "support/ItemSpecs.h"
#include "support/PluginServer.h"
#include "support/TestConfig.h"

namespace {

using TestSupport::Spec;

using Strings = std::vector<std::string>;
using TestSupport::Texts;

// While it lives, every character the game is asked about is driven by the given controller.
class DrivenBy {
public:
    explicit DrivenBy(AController* controller) {
        controller_ = controller;
        EXPECT_TRUE(ArkApi::GetHooks().SetHook(kName, &Controller, &game_));
    }
    ~DrivenBy() { ArkApi::GetHooks().DisableHook(kName, &Controller); }
    DrivenBy(const DrivenBy&) = delete;
    DrivenBy& operator=(const DrivenBy&) = delete;

private:
    using ControllerFn = AController* (*)(APawn*);
    static constexpr const char* kName = "APawn.GetCharacterController";
    static AController* Controller(APawn*) { return controller_; }
    static inline ControllerFn game_ = nullptr;
    static inline AController* controller_ = nullptr;
};

class CombatCooldown : public ::testing::Test {
protected:
    void SetUp() override {
        config = TestSupport::DefaultConfig(db.Params());  // PVPVECooldown 60
    }
    void Start() {
        server.WriteConfig(config);
        server.Load();
        ASSERT_EQ(server.Hooks(), Strings{"APrimalCharacter.TakeDamage"});
    }
    void TearDown() override { EXPECT_TRUE(HostRuntime::EscapedErrors().empty()); }

    // What checkcd tells the player now.
    Strings CheckCd(Sim::Player& player) {
        player.ClearReceived();
        EXPECT_TRUE(server.Chat(player, "/checkcd"));
        return Texts(player);
    }
    Strings ErrorLines() {
        Strings errors;
        for (const auto& line : TestSupport::LogTail(server))
            if (line.find("[error]") != std::string::npos) errors.push_back(line);
        return errors;
    }

    TestSupport::ScratchDatabase db;
    TestSupport::PluginServer server;
    nlohmann::ordered_json config;
};

TEST_F(CombatCooldown, ReportCountsDownAndEndsExactlyAtTheCooldown) {
    Start();
    auto& alice = server.Join("alice", 11);
    server.Damage(&alice, nullptr);
    server.ShiftClock(45);
    EXPECT_EQ(CheckCd(alice), Strings{"Combat cooldown: 15 seconds"});
    EXPECT_EQ(alice.Received().front().kind, Sim::Output::Kind::Chat);
    EXPECT_EQ(alice.Received().front().sender, "Vault");
    server.ShiftClock(15);
    EXPECT_EQ(CheckCd(alice), Strings{"Not on PVPVE Cooldown "});
    EXPECT_EQ(alice.Received().front().sender, "Vault");
}

TEST_F(CombatCooldown, NeverInAFightIsNotOnCooldown) {
    Start();
    auto& alice = server.Join("alice", 11);
    auto& bob = server.Join("bob", 12);
    server.Damage(&bob, nullptr);
    EXPECT_EQ(CheckCd(alice), Strings{"Not on PVPVE Cooldown "});
}

TEST_F(CombatCooldown, BothSidesOfEveryKindOfDamageAreStamped) {
    Start();
    auto& hurtByCreature = server.Join("alice", 11);
    auto& hitsCreature = server.Join("bob", 12);
    auto& victim = server.Join("carol", 13);
    auto& attacker = server.Join("dave", 14);
    auto& bystander = server.Join("erin", 15);
    server.Damage(&hurtByCreature, nullptr);
    server.Damage(nullptr, &hitsCreature);
    server.Damage(&victim, &attacker, 0.0f);  // a zero amount still counts
    server.ShiftClock(10);
    for (Sim::Player* player : {&hurtByCreature, &hitsCreature, &victim, &attacker}) {
        SCOPED_TRACE(player->Name());
        EXPECT_EQ(CheckCd(*player), Strings{"Combat cooldown: 50 seconds"});
    }
    EXPECT_EQ(CheckCd(bystander), Strings{"Not on PVPVE Cooldown "});
}

// A player's character driven by a controller that is no player's is not stamped as the victim;
// the player who hit it still is.
TEST_F(CombatCooldown, VictimWithoutAPlayerControllerIsNotStamped) {
    Start();
    auto& alice = server.Join("alice", 11);
    auto& bob = server.Join("bob", 12);
    {
        DrivenBy creatureBrain(server.CreatureController());
        server.Damage(&alice, &bob);
    }
    EXPECT_EQ(CheckCd(alice), Strings{"Not on PVPVE Cooldown "});
    EXPECT_EQ(CheckCd(bob), Strings{"Combat cooldown: 60 seconds"});
    EXPECT_TRUE(ErrorLines().empty());
}

TEST_F(CombatCooldown, LaterDamageMovesTheStampForward) {
    Start();
    auto& alice = server.Join("alice", 11);
    server.Damage(&alice, &alice);  // hitting oneself counts once
    server.ShiftClock(50);
    server.Damage(nullptr, &alice);
    server.ShiftClock(20);
    EXPECT_EQ(CheckCd(alice), Strings{"Combat cooldown: 40 seconds"});
}

TEST_F(CombatCooldown, ClockSetBackShowsMoreThanTheCooldown) {
    Start();
    auto& alice = server.Join("alice", 11);
    server.Damage(&alice, nullptr);
    server.ShiftClock(-10);
    EXPECT_EQ(CheckCd(alice), Strings{"Combat cooldown: 70 seconds"});
}

TEST_F(CombatCooldown, TheGameFunctionRunsWithTheSameArgumentsAndItsResultIsReturned) {
    Start();
    auto& alice = server.Join("alice", 11);
    auto& bob = server.Join("bob", 12);
    const int before = server.GameTakeDamageCalls();
    EXPECT_FLOAT_EQ(server.Damage(&alice, &bob, 37.5f), 37.5f);
    EXPECT_EQ(server.GameTakeDamageCalls(), before + 1);
    alice.Kill();
    EXPECT_FLOAT_EQ(server.Damage(&alice, &bob, 5.0f), 0.0f);  // the game applies nothing to the dead
    EXPECT_EQ(server.GameTakeDamageCalls(), before + 2);
}

TEST_F(CombatCooldown, UnloadRemovesTheHook) {
    Start();
    auto& alice = server.Join("alice", 11);
    server.UnloadPlugin();
    EXPECT_TRUE(server.Hooks().empty());
    const int before = server.GameTakeDamageCalls();
    EXPECT_FLOAT_EQ(server.Damage(&alice, nullptr, 8.0f), 8.0f);
    EXPECT_EQ(server.GameTakeDamageCalls(), before + 1);
    server.Load();
    EXPECT_EQ(CheckCd(alice), Strings{"Not on PVPVE Cooldown "});
}

TEST_F(CombatCooldown, SavingDuringCombatIsNotRefused) {
    Start();
    auto& alice = server.Join("alice", 11);
    server.Give(alice, Spec("PrimalItem_WeaponStoneHatchet"));
    server.Damage(&alice, nullptr);
    ASSERT_TRUE(server.Chat(alice, "/savevault fight"));
    EXPECT_TRUE(alice.Inventory().empty());
}

TEST_F(CombatCooldown, MissingCooldownSettingSendsNothingAndIsLoggedOnce) {
    config.erase("PVPVECooldown");
    Start();
    auto& alice = server.Join("alice", 11);
    EXPECT_TRUE(CheckCd(alice).empty());
    const Strings errors = ErrorLines();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0],
              "[Lockbury][error] (Private/Combat Lockbury::CheckCd) "
              "[json.exception.type_error.302] type must be number, but is null");
}

// A template that cannot be filled is reported at load and sent as it stands: the player still
// gets an answer.
TEST_F(CombatCooldown, MessageFaultsAreSentAsTheyStand) {
    config["messages"]["PVPVECooldown"] = "{} and {}";  // asks for more than it is given
    Start();
    auto& alice = server.Join("alice", 11);
    auto& bob = server.Join("bob", 12);
    server.Damage(&alice, nullptr);
    EXPECT_EQ(CheckCd(alice), Strings{"{} and {}"});
    const Strings errors = ErrorLines();
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(
        errors[0].rfind("[Lockbury][error] config.json: messages.PVPVECooldown: cannot be filled with its 1 value(s)", 0),
        0u)
        << errors[0];
    EXPECT_EQ(errors[1].rfind("[Lockbury][error] config.json: messages.PVPVECooldown: ", 0), 0u) << errors[1];
    // A missing text shows as the default; the fixed text needs only the sender.
    config["messages"].erase("PVPVECooldown");
    config["messages"].erase("sender");
    server.UnloadPlugin();
    Start();
    server.Damage(&alice, nullptr);
    EXPECT_EQ(CheckCd(alice), Strings{"no message found"});
    EXPECT_EQ(CheckCd(bob), Strings{"Not on PVPVE Cooldown "});
    EXPECT_EQ(bob.Received().front().sender, "no message found");
}

}  // namespace
