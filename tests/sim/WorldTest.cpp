// The simulated world: searches by distance and class, class paths in the game's style, damage
// through the registry by name, player state.
#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <thread>

#include "Sim/Colours.h"
#include "support/PluginServer.h"

namespace {

std::string NameOf(AActor* actor) { return actor->NameField().ToString().ToString(); }

std::vector<std::string> Names(const TArray<AActor*>& actors) {
    std::vector<std::string> names;
    for (AActor* actor : actors) names.push_back(NameOf(actor));
    return names;
}

UWorld* StartedWorld(Sim::Server& server) {
    server.Start();
    return ArkApi::GetApiUtils().GetWorld();
}

class WorldSearch : public ::testing::Test {
protected:
    TestSupport::PluginServer server;
    UWorld* world = StartedWorld(server);
};

TEST_F(WorldSearch, TheOctreeGivesTheGroupWithinTheRadiusNearestFirst) {
    const std::string farthest = server.Place("TekTransmitter", {300, 0, 0});
    const std::string nearer = server.Place("Wall_Wood", {0, 100, 0});
    const std::string outside = server.Place("StorageBox_Small", {0, 0, 300.5f});
    const std::string plain = server.PlaceNonTargetable("Rock", {0, 0, 50});
    server.Join("Ann", 1);  // a player pawn is in another group

    TArray<AActor*> result;
    TArray<AActor*>* returned =
        UVictoryCore::ServerOctreeOverlapActors(&result, world, {0, 0, 0}, 300.0f, EServerOctreeGroup::STRUCTURES, false);
    EXPECT_EQ(returned, &result);
    EXPECT_EQ(Names(result), (std::vector<std::string>{plain, nearer, farthest}));

    TArray<AActor*> none;
    UVictoryCore::ServerOctreeOverlapActors(&none, world, {5000, 0, 0}, 300.0f, EServerOctreeGroup::STRUCTURES, false);
    EXPECT_EQ(none.Num(), 0);
    EXPECT_EQ(farthest.rfind("TekTransmitter_C_", 0), 0u) << farthest;
}

TEST_F(WorldSearch, TheSphereSearchKeepsOnlyActorsOfTheFilterClass) {
    const std::string box = server.Place("StorageBox_Small", {0, 200, 0});
    const std::string transmitter = server.Place("TekTransmitter", {0, 0, 10});
    server.Place("Wall_Wood", {0, 0, 5});
    server.PlaceNonTargetable("Rock", {0, 0, 1});
    TArray<TEnumAsByte<EObjectTypeQuery>> types;
    TArray<AActor*> ignore, out;
    EXPECT_TRUE(UKismetSystemLibrary::SphereOverlapActors_NEW(
        world, {0, 0, 0}, 250.0f, &types, APrimalStructureItemContainer::GetPrivateStaticClass(), &ignore, &out));
    EXPECT_EQ(Names(out), (std::vector<std::string>{transmitter, box}));
    TArray<AActor*> nothing;
    EXPECT_FALSE(UKismetSystemLibrary::SphereOverlapActors_NEW(
        world, {0, 0, 0}, 5.0f, &types, APrimalStructureItemContainer::GetPrivateStaticClass(), &ignore, &nothing));
}

TEST_F(WorldSearch, ClassPathsHaveTheGameForms) {
    const std::string name = server.Place("TekTransmitter", {0, 0, 0}, "Base Transmitter");
    TArray<AActor*> found;
    UVictoryCore::ServerOctreeOverlapActors(&found, world, {0, 0, 0}, 10.0f, EServerOctreeGroup::STRUCTURES, false);
    ASSERT_EQ(found.Num(), 1);
    AActor* actor = found[0];
    UClass* cls = actor->ClassField();
    FString fullName, reference;
    EXPECT_EQ(cls->GetDefaultObject(true)->GetFullName(&fullName, nullptr), &fullName);
    EXPECT_EQ(fullName.ToString(),
              "TekTransmitter_C /Game/PrimalEarth/Structures/TekTier/TekTransmitter.Default__TekTransmitter_C");
    EXPECT_EQ(UVictoryCore::ClassToStringReference(&reference, cls), &reference);
    EXPECT_EQ(reference.ToString(), "/Game/PrimalEarth/Structures/TekTier/TekTransmitter.TekTransmitter_C");
    EXPECT_EQ(static_cast<APrimalTargetableActor*>(actor)->DescriptiveNameField().ToString(), "Base Transmitter");
    EXPECT_TRUE(actor->IsA(APrimalStructureItemContainer::GetPrivateStaticClass()));
    EXPECT_TRUE(actor->IsA(APrimalTargetableActor::StaticClass()));
    EXPECT_FALSE(actor->IsA(AShooterCharacter::GetPrivateStaticClass()));
    for (const auto& info : Sim::Server::Classes()) {
        if (info.name == "TekTransmitter") {
            EXPECT_EQ(info.blueprintPath, "Blueprint'/Game/PrimalEarth/Structures/TekTier/TekTransmitter.TekTransmitter'");
        }
    }
}

TEST_F(WorldSearch, ANonTargetableActorHasNoDescriptiveName) {
    server.PlaceNonTargetable("Rock", {0, 0, 0});
    TArray<AActor*> found;
    UVictoryCore::ServerOctreeOverlapActors(&found, world, {0, 0, 0}, 10.0f, EServerOctreeGroup::STRUCTURES, false);
    ASSERT_EQ(found.Num(), 1);
    EXPECT_FALSE(found[0]->IsA(APrimalTargetableActor::StaticClass()));
    EXPECT_THROW(static_cast<APrimalTargetableActor*>(found[0])->DescriptiveNameField(), ArkApi::UnresolvedName);
}

TEST(Damage, GoesThroughTheRegistryByNameSoAHookSeesIt) {
    TestSupport::PluginServer server;
    Sim::Player& ann = server.Join("Ann", 1);
    Sim::Player& bob = server.Join("Bob", 2);

    using Fn = float(APrimalCharacter*, float, FDamageEvent*, AController*, AActor*);
    static Fn* original = nullptr;
    static std::vector<std::pair<bool, bool>> seen;  // victim is a player, instigator is a player
    seen.clear();
    Fn* detour = [](APrimalCharacter* victim, float amount, FDamageEvent* event, AController* instigator, AActor* causer) {
        seen.emplace_back(victim->IsA(AShooterCharacter::GetPrivateStaticClass()),
                          instigator && instigator->IsA(AShooterPlayerController::StaticClass()));
        return original(victim, amount, event, instigator, causer);
    };
    ASSERT_TRUE(ArkApi::GetHooks().SetHook("APrimalCharacter.TakeDamage", reinterpret_cast<LPVOID>(detour), &original));

    EXPECT_FLOAT_EQ(server.Damage(&ann, &bob, 12.5f), 12.5f);
    EXPECT_FLOAT_EQ(server.Damage(&ann, nullptr), 10.0f);  // a creature bites Ann
    EXPECT_FLOAT_EQ(server.Damage(nullptr, &bob), 10.0f);  // Bob hits a creature
    EXPECT_FLOAT_EQ(server.DamageFromWorld(&ann, 3.0f), 3.0f);
    EXPECT_EQ(seen, (std::vector<std::pair<bool, bool>>{{true, true}, {true, false}, {false, true}, {true, false}}));
    EXPECT_EQ(server.GameTakeDamageCalls(), 4);

    server.Damage(&ann, &bob, 1.0f);
    const auto last = server.LastGameTakeDamage();
    ASSERT_TRUE(last.has_value());
    EXPECT_EQ(last->victim, static_cast<void*>(ann.Character()));
    EXPECT_EQ(last->instigator, static_cast<void*>(bob.Controller()));
    EXPECT_EQ(last->causer, static_cast<void*>(bob.Character()));
    EXPECT_FLOAT_EQ(last->amount, 1.0f);

    // The instigator's pawn leads back to the player.
    auto* bobCharacter = bob.Character();
    EXPECT_EQ(static_cast<void*>(bobCharacter->GetCharacterController()), static_cast<void*>(bob.Controller()));
    EXPECT_FALSE(server.CreatureController()->IsA(AShooterPlayerController::StaticClass()));

    ASSERT_TRUE(ArkApi::GetHooks().DisableHook("APrimalCharacter.TakeDamage", reinterpret_cast<LPVOID>(detour)));
    server.Damage(&ann, &bob);
    EXPECT_EQ(seen.size(), 5u) << "the detour no longer sees damage";
    EXPECT_EQ(server.GameTakeDamageCalls(), 6);
}

TEST(Players, CharacterLifeInventoryAndPosition) {
    TestSupport::PluginServer server;
    Sim::Player& ann = server.Join("Ann", 76561198000000001ull);
    AShooterPlayerController* pc = ann.Controller();
    EXPECT_EQ(pc->GetUniqueNetIdAsUINT64(), 76561198000000001ull);
    EXPECT_THROW(server.Join("Ann", 3), std::invalid_argument);
    EXPECT_THROW(server.Join("Other", 76561198000000001ull), std::invalid_argument);

    ann.MoveTo({1, 2, 3});
    EXPECT_FLOAT_EQ(pc->DefaultActorLocationField().Y, 2.0f);
    ASSERT_NE(pc->GetPlayerCharacter(), nullptr);
    EXPECT_FALSE(pc->GetPlayerCharacter()->IsDead());
    ann.Kill();
    EXPECT_TRUE(pc->GetPlayerCharacter()->IsDead());
    ann.Revive();
    EXPECT_FALSE(pc->GetPlayerCharacter()->IsDead());
    ann.RemoveCharacter();
    EXPECT_EQ(pc->GetPlayerCharacter(), nullptr);
    EXPECT_EQ(pc->GetPlayerInventoryComponent(), nullptr) << "the inventory is the character's";

    server.AdvanceGameTime(12.5);
    EXPECT_DOUBLE_EQ(ArkApi::GetApiUtils().GetWorld()->GetTimeSeconds(), 12.5);
    const std::time_t before = std::time(nullptr);
    server.ShiftClock(3600);
    EXPECT_GE(std::time(nullptr) - before, 3600);
    EXPECT_EQ(ArkApi::Tools::GetCurrentDir(), server.Dir().string());

    server.Leave("Ann");
    EXPECT_EQ(server.Find("Ann"), nullptr);
    EXPECT_FALSE(reinterpret_cast<UObjectBase*>(pc)->IsValidLowLevelFast(true));
    EXPECT_THROW(ann.Controller(), std::logic_error);
}

TEST(Players, EchoShowsEveryEventAsItHappens) {
    TestSupport::PluginServer server;
    Sim::Player& ann = server.Join("Ann", 1);
    std::vector<std::string> echoed;
    server.SetEcho([&](const std::string& line) { echoed.push_back(line); });
    ArkApi::GetApiUtils().SendChatMessage(ann.Controller(), FString("Vault"), "hello {}", "Ann");
    ArkApi::GetApiUtils().SendServerMessage(ann.Controller(), Sim::Colours::Red(), "no");
    ArkApi::GetApiUtils().SendNotification(ann.Controller(), Sim::Colours::Green(), 1.3f, 15.0f, nullptr, "a\nb");
    EXPECT_EQ(echoed,
              (std::vector<std::string>{"[chat Ann] Vault: hello Ann", "[server Ann red] no", "[notify Ann] a\n    b"}));
}

// The fixture's wall clock stands still, so a whole-second figure cannot change between two
// steps of a test; shifts still move it. The plugin reads it with the C library's time(), and code
// linked as the plugin is (this test program too) gets the simulator's clock from it.
TEST(Clock, AFrozenClockStandsStillButShifts) {
    TestSupport::PluginServer server;
    const std::time_t start = std::time(nullptr);
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    EXPECT_EQ(std::time(nullptr), start);
    server.ShiftClock(5);
    std::time_t out = 0;
    EXPECT_EQ(std::time(&out), start + 5);
    EXPECT_EQ(out, start + 5);
}

}  // namespace
