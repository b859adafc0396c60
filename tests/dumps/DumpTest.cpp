// dumpi and dumps typed at an administrator's console: the log lines and chat lines they make.
#include <gtest/gtest.h>

#include "Private/Config/Config.h"
#include "Private/Plugin/Handlers.h"
#include "Private/Plugin/Log.h"
#include "support/PluginTest.h"

namespace {

using TestSupport::Item;
using TestSupport::Strings;

Strings Info(const Strings& lines) {
    Strings out;
    for (const auto& line : lines) out.push_back("[Lockbury][info] " + line);
    return out;
}

// While it lives, both world searches report an empty actor slot after the actors they found.
class EmptyActorSlots {
public:
    EmptyActorSlots() {
        EXPECT_TRUE(ArkApi::GetHooks().SetHook(kOctree, reinterpret_cast<LPVOID>(&Octree), &octree_));
        EXPECT_TRUE(ArkApi::GetHooks().SetHook(kSphere, reinterpret_cast<LPVOID>(&Sphere), &sphere_));
    }
    ~EmptyActorSlots() {
        ArkApi::GetHooks().DisableHook(kOctree, reinterpret_cast<LPVOID>(&Octree));
        ArkApi::GetHooks().DisableHook(kSphere, reinterpret_cast<LPVOID>(&Sphere));
    }
    EmptyActorSlots(const EmptyActorSlots&) = delete;
    EmptyActorSlots& operator=(const EmptyActorSlots&) = delete;

private:
    using Actors = TArray<AActor*>;
    using Types = TArray<TEnumAsByte<EObjectTypeQuery>>;
    using OctreeFn = Actors*(Actors*, UWorld*, FVector, float, EServerOctreeGroup::Type, bool);
    using SphereFn = bool(UObject*, FVector, float, Types*, UClass*, Actors*, Actors*);
    static constexpr const char* kOctree = "UVictoryCore.ServerOctreeOverlapActors";
    static constexpr const char* kSphere = "UKismetSystemLibrary.SphereOverlapActors_NEW";

    static Actors* Octree(Actors* result, UWorld* world, FVector at, float radius, EServerOctreeGroup::Type group,
                          bool check) {
        octree_(result, world, at, radius, group, check)->Add(nullptr);
        return result;
    }
    static bool Sphere(UObject* context, FVector at, float radius, Types* types, UClass* filter, Actors* ignored,
                       Actors* out) {
        sphere_(context, at, radius, types, filter, ignored, out);
        out->Add(nullptr);
        return true;
    }
    static inline OctreeFn* octree_ = nullptr;
    static inline SphereFn* sphere_ = nullptr;
};

class Dumps : public TestSupport::PluginTest {
protected:
    void Start() {  // radius 1000
        PluginTest::Start();
        ASSERT_EQ(server.ConsoleCommands().size(), 8u);
        admin = &Join("admin");
        (*admin)->MoveTo({100, 100, 0});
    }
    // What a console line showed the administrator; the log holds only its lines.
    Strings Console(const std::string& line) {
        server.ClearLog();
        return admin->Console(line);
    }

    TestSupport::Player* admin = nullptr;
};

TEST_F(Dumps, ItemsOfAnEngramOnlyInventory) {
    Start();
    admin->PicksUp(Item("PrimalItemArmor_ClothShirt").Engram());
    EXPECT_EQ(Console("dumpi"), Strings{});
    EXPECT_EQ(TestSupport::LogTail(server), Info({"DumpItems", "Found Item"}));
}

TEST_F(Dumps, ItemsSkipSlottedButNotInitialItems) {
    Start();
    admin->PicksUp(Item("PrimalItem_WeaponStoneHatchet").Slot(0));
    const auto initial = admin->PicksUp(Item("PrimalItemArmor_ClothShirt").Initial());
    const auto wood = admin->PicksUp(Item("PrimalItemResource_Wood"));
    EXPECT_EQ(Console("dumpi whatever follows"), Strings{});
    EXPECT_EQ(TestSupport::LogTail(server),
              Info({"DumpItems", "Found Item", "NameField " + initial.objectName,
                    "BluePrint " + Item::Blueprint("PrimalItemArmor_ClothShirt"), "NameField " + wood.objectName,
                    "BluePrint " + Item::Blueprint("PrimalItemResource_Wood")}));
}

TEST_F(Dumps, ItemsEndQuietlyWithoutAnythingToShow) {
    Start();
    EXPECT_EQ(Console("dumpi"), Strings{});
    EXPECT_EQ(TestSupport::LogTail(server), Info({"DumpItems"}));  // empty inventory
    admin->PicksUp(Item("PrimalItemResource_Wood"));
    (*admin)->Kill();
    EXPECT_EQ(Console("dumpi"), Strings{});
    EXPECT_EQ(TestSupport::LogTail(server), Info({"DumpItems"}));
    (*admin)->Revive();
    (*admin)->RemoveInventory();
    EXPECT_EQ(Console("dumpi"), Strings{});
    EXPECT_EQ(TestSupport::LogTail(server), Info({"DumpItems"}));
}

TEST_F(Dumps, StructuresWithNothingInRange) {
    Start();
    server.Place("StorageBox_Small", {5000, 5000, 0});
    EXPECT_EQ(Console("dumps"), Strings{"DumpStructures"});
    EXPECT_EQ(admin->Shown().kind, Sim::Output::Kind::Chat);
    EXPECT_EQ(admin->Shown().sender, "Vault");
    EXPECT_TRUE(server.LogLines().empty());
}

TEST_F(Dumps, ContainerFoundByBothSearchesIsReportedTwice) {
    Start();
    const std::string box = server.Place("StorageBox_Small", {150, 100, 0}, "Main Box");
    const std::string wall = server.Place("Wall_Wood", {400, 100, 0});
    const std::string boxPath = Item::Blueprint("StorageBox_Small");
    EXPECT_EQ(Console("dumps"),
              (Strings{"DumpStructures", "DescriptiveNameField: Main Box", "NameField: " + box, "BluePrint " + boxPath,
                       "DescriptiveNameField: Wooden Wall", "NameField: " + wall,
                       "BluePrint " + Item::Blueprint("Wall_Wood"), "NameField: " + box, "BluePrint " + boxPath}));
    for (const auto& out : (*admin)->Received()) EXPECT_EQ(out.sender, "Vault");
    // Only the second search's blueprint paths reach the log, as whole lines.
    EXPECT_EQ(TestSupport::LogTail(server), Info({boxPath}));
}

TEST_F(Dumps, EmptyActorSlotsFromTheSearchesAreSkipped) {
    Start();
    const std::string box = server.Place("StorageBox_Small", {150, 100, 0}, "Main Box");
    const std::string boxPath = Item::Blueprint("StorageBox_Small");
    EmptyActorSlots slots;
    EXPECT_EQ(Console("dumps"), (Strings{"DumpStructures", "DescriptiveNameField: Main Box", "NameField: " + box,
                                         "BluePrint " + boxPath, "NameField: " + box, "BluePrint " + boxPath}));
    EXPECT_EQ(TestSupport::LogTail(server), Info({boxPath}));
}

// Both commands run without the plugin's logger (the plugin's own code, called directly, before
// any load made one): the items dump has nothing to show, the structures dump still shows its lines.
TEST_F(Dumps, BothRunWithoutALogger) {
    Lockbury::Config() = config;
    Lockbury::GetLog() = nullptr;
    auto& alone = Join("admin");
    alone->MoveTo({100, 100, 0});
    alone.PicksUp(Item("PrimalItemResource_Wood"));
    const std::string box = server.Place("StorageBox_Small", {150, 100, 0}, "Main Box");
    FString command("dumpi");
    Lockbury::DumpItems(alone->Controller(), &command, false);
    EXPECT_EQ(alone.Told(), Strings{});
    command = FString("dumps");
    Lockbury::DumpStructures(alone->Controller(), &command, false);
    const std::string boxPath = Item::Blueprint("StorageBox_Small");
    EXPECT_EQ(alone.Told(), (Strings{"DumpStructures", "DescriptiveNameField: Main Box", "NameField: " + box,
                                     "BluePrint " + boxPath, "NameField: " + box, "BluePrint " + boxPath}));
    EXPECT_TRUE(server.LogLines().empty());
    Lockbury::Config() = nullptr;
}

TEST_F(Dumps, NonTargetableActorShowsNoDescriptiveName) {
    Start();
    const std::string rock = server.PlaceNonTargetable("RockFormation", {120, 100, 0});
    const Strings told = Console("dumps");
    ASSERT_EQ(told.size(), 4u);
    EXPECT_EQ(told[1], "DescriptiveNameField: ");
    EXPECT_EQ(told[2], "NameField: " + rock);
}

TEST_F(Dumps, NonAsciiNamesAreShownAsTheyAre) {
    Start();
    server.Place("Wall_Wood", {120, 100, 0}, "Mauer ä");
    const Strings told = Console("dumps");
    ASSERT_GE(told.size(), 2u);
    EXPECT_EQ(told[1], "DescriptiveNameField: Mauer ä");
}

TEST_F(Dumps, DeadAdministratorGetsOnlyTheHeading) {
    Start();
    server.Place("StorageBox_Small", {150, 100, 0});
    (*admin)->Kill();
    EXPECT_EQ(Console("dumps"), Strings{"DumpStructures"});
}

TEST_F(Dumps, MissingRadiusEndsAfterTheHeadingWithOneLoggedLine) {
    config.erase("radius");
    Start();
    server.Place("StorageBox_Small", {150, 100, 0});
    ExpectErrorLog("(Private/Dumps Lockbury::DumpStructures)");
    EXPECT_EQ(Console("dumps"), Strings{"DumpStructures"});
    EXPECT_EQ(TestSupport::LogTail(server), Strings{"[Lockbury][error] (Private/Dumps Lockbury::DumpStructures) "
                                                    "[json.exception.type_error.302] type must be number, but is null"});
}

}  // namespace
