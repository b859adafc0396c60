// dumpi and dumps typed at an administrator's console: the log lines and chat lines they make.
#include <gtest/gtest.h>

#include "HostRuntime/HostState.h"
#include "Private/Config/Config.h"
#include "Private/Plugin/Handlers.h"
#include "Private/Plugin/Log.h"
#include "support/ItemSpecs.h"
#include "support/PluginServer.h"
#include "support/TestConfig.h"

namespace {

using Strings = std::vector<std::string>;
using TestSupport::Texts;

using TestSupport::Spec;

std::string BlueprintOf(const std::string& className) {
    for (const auto& info : Sim::Server::Classes())
        if (info.name == className) return info.blueprintPath;
    ADD_FAILURE() << "no class " << className;
    return "";
}

Strings Info(const Strings& lines) {
    Strings out;
    for (const auto& line : lines) out.push_back("[Lockbury][info] " + line);
    return out;
}

// While it lives, both world searches report an empty actor slot after the actors they found.
class EmptyActorSlots {
public:
    EmptyActorSlots() {
        EXPECT_TRUE(ArkApi::GetHooks().SetHook(kOctree, &Octree, &octree_));
        EXPECT_TRUE(ArkApi::GetHooks().SetHook(kSphere, &Sphere, &sphere_));
    }
    ~EmptyActorSlots() {
        ArkApi::GetHooks().DisableHook(kOctree, &Octree);
        ArkApi::GetHooks().DisableHook(kSphere, &Sphere);
    }
    EmptyActorSlots(const EmptyActorSlots&) = delete;
    EmptyActorSlots& operator=(const EmptyActorSlots&) = delete;

private:
    using Actors = TArray<AActor*>;
    using OctreeFn = Actors* (*)(Actors*, UWorld*, FVector, float, int, bool);
    using SphereFn = bool (*)(UObject*, FVector, float, TArray<EObjectTypeQuery>*, UClass*, Actors*, Actors*);
    static constexpr const char* kOctree = "UVictoryCore.ServerOctreeOverlapActors";
    static constexpr const char* kSphere = "UKismetSystemLibrary.SphereOverlapActors_NEW";

    static Actors* Octree(Actors* result, UWorld* world, FVector at, float radius, int group, bool check) {
        octree_(result, world, at, radius, group, check)->Add(nullptr);
        return result;
    }
    static bool Sphere(UObject* context, FVector at, float radius, TArray<EObjectTypeQuery>* types, UClass* filter,
                       Actors* ignored, Actors* out) {
        sphere_(context, at, radius, types, filter, ignored, out);
        out->Add(nullptr);
        return true;
    }
    static inline OctreeFn octree_ = nullptr;
    static inline SphereFn sphere_ = nullptr;
};

class Dumps : public ::testing::Test {
protected:
    void SetUp() override { config = TestSupport::DefaultConfig(db.Params()); }  // radius 1000
    void Start() {
        server.WriteConfig(config);
        server.Load();
        ASSERT_EQ(server.ConsoleCommands().size(), 4u);
        admin = &server.Join("admin", 1);
        admin->MoveTo({100, 100, 0});
    }
    void TearDown() override { EXPECT_TRUE(HostRuntime::EscapedErrors().empty()); }
    // Runs a console line with a clean log and a clean chat.
    void Console(const std::string& line) {
        server.ClearLog();
        admin->ClearReceived();
        EXPECT_TRUE(server.Console(*admin, line));
    }

    TestSupport::ScratchDatabase db;
    TestSupport::PluginServer server;
    nlohmann::ordered_json config;
    Sim::Player* admin = nullptr;
};

TEST_F(Dumps, ItemsOfAnEngramOnlyInventory) {
    Start();
    auto engram = Spec("PrimalItemArmor_ClothShirt");
    engram.engram = true;
    server.Give(*admin, engram);
    Console("dumpi");
    EXPECT_EQ(TestSupport::LogTail(server), Info({"DumpItems", "Found Item"}));
    EXPECT_TRUE(admin->Received().empty());
}

TEST_F(Dumps, ItemsSkipSlottedButNotInitialItems) {
    Start();
    auto slotted = Spec("PrimalItem_WeaponStoneHatchet");
    slotted.slot = 0;
    server.Give(*admin, slotted);
    auto initialSpec = Spec("PrimalItemArmor_ClothShirt");
    initialSpec.initial = true;
    const auto initial = server.Give(*admin, initialSpec);
    const auto wood = server.Give(*admin, Spec("PrimalItemResource_Wood"));
    Console("dumpi whatever follows");
    EXPECT_EQ(TestSupport::LogTail(server),
              Info({"DumpItems", "Found Item", "NameField " + initial.objectName,
                    "BluePrint " + BlueprintOf("PrimalItemArmor_ClothShirt"), "NameField " + wood.objectName,
                    "BluePrint " + BlueprintOf("PrimalItemResource_Wood")}));
    EXPECT_TRUE(admin->Received().empty());
}

TEST_F(Dumps, ItemsEndQuietlyWithoutAnythingToShow) {
    Start();
    Console("dumpi");
    EXPECT_EQ(TestSupport::LogTail(server), Info({"DumpItems"}));  // empty inventory
    server.Give(*admin, Spec("PrimalItemResource_Wood"));
    admin->Kill();
    Console("dumpi");
    EXPECT_EQ(TestSupport::LogTail(server), Info({"DumpItems"}));
    admin->Revive();
    admin->RemoveInventory();
    Console("dumpi");
    EXPECT_EQ(TestSupport::LogTail(server), Info({"DumpItems"}));
    EXPECT_TRUE(admin->Received().empty());
}

TEST_F(Dumps, StructuresWithNothingInRange) {
    Start();
    server.Place("StorageBox_Small", {5000, 5000, 0});
    Console("dumps");
    EXPECT_EQ(Texts(*admin), Strings{"DumpStructures"});
    EXPECT_EQ(admin->Received()[0].kind, Sim::Output::Kind::Chat);
    EXPECT_EQ(admin->Received()[0].sender, "Vault");
    EXPECT_TRUE(server.LogLines().empty());
}

TEST_F(Dumps, ContainerFoundByBothSearchesIsReportedTwice) {
    Start();
    const std::string box = server.Place("StorageBox_Small", {150, 100, 0}, "Main Box");
    const std::string wall = server.Place("Wall_Wood", {400, 100, 0});
    const std::string boxPath = BlueprintOf("StorageBox_Small");
    Console("dumps");
    EXPECT_EQ(Texts(*admin),
              (Strings{"DumpStructures", "DescriptiveNameField: Main Box", "NameField: " + box, "BluePrint " + boxPath,
                       "DescriptiveNameField: Wooden Wall", "NameField: " + wall, "BluePrint " + BlueprintOf("Wall_Wood"),
                       "NameField: " + box, "BluePrint " + boxPath}));
    for (const auto& out : admin->Received()) EXPECT_EQ(out.sender, "Vault");
    // Only the second search's blueprint paths reach the log, as whole lines.
    EXPECT_EQ(TestSupport::LogTail(server), Info({boxPath}));
}

TEST_F(Dumps, EmptyActorSlotsFromTheSearchesAreSkipped) {
    Start();
    const std::string box = server.Place("StorageBox_Small", {150, 100, 0}, "Main Box");
    const std::string boxPath = BlueprintOf("StorageBox_Small");
    EmptyActorSlots slots;
    Console("dumps");
    EXPECT_EQ(Texts(*admin), (Strings{"DumpStructures", "DescriptiveNameField: Main Box", "NameField: " + box,
                                      "BluePrint " + boxPath, "NameField: " + box, "BluePrint " + boxPath}));
    EXPECT_EQ(TestSupport::LogTail(server), Info({boxPath}));
}

// Both commands run without the plugin's logger (the plugin's own code, called directly, before
// any load made one): the items dump has nothing to show, the structures dump still shows its lines.
TEST_F(Dumps, BothRunWithoutALogger) {
    Lockbury::Config() = config;
    Lockbury::GetLog() = nullptr;
    admin = &server.Join("admin", 1);
    admin->MoveTo({100, 100, 0});
    server.Give(*admin, Spec("PrimalItemResource_Wood"));
    const std::string box = server.Place("StorageBox_Small", {150, 100, 0}, "Main Box");
    FString command("dumpi");
    Lockbury::DumpItems(admin->Controller(), &command, false);
    EXPECT_TRUE(admin->Received().empty());
    command = FString("dumps");
    Lockbury::DumpStructures(admin->Controller(), &command, false);
    const std::string boxPath = BlueprintOf("StorageBox_Small");
    EXPECT_EQ(Texts(*admin), (Strings{"DumpStructures", "DescriptiveNameField: Main Box", "NameField: " + box,
                                      "BluePrint " + boxPath, "NameField: " + box, "BluePrint " + boxPath}));
    EXPECT_TRUE(server.LogLines().empty());
    Lockbury::Config() = nullptr;
}

TEST_F(Dumps, NonTargetableActorShowsNoDescriptiveName) {
    Start();
    const std::string rock = server.PlaceNonTargetable("RockFormation", {120, 100, 0});
    Console("dumps");
    ASSERT_EQ(Texts(*admin).size(), 4u);
    EXPECT_EQ(Texts(*admin)[1], "DescriptiveNameField: ");
    EXPECT_EQ(Texts(*admin)[2], "NameField: " + rock);
}

TEST_F(Dumps, NonAsciiNamesAreShownByteByByte) {
    Start();
    server.Place("Wall_Wood", {120, 100, 0}, "Mauer ä");
    Console("dumps");
    ASSERT_GE(Texts(*admin).size(), 2u);
    EXPECT_EQ(Texts(*admin)[1], "DescriptiveNameField: Mauer ??");
}

TEST_F(Dumps, DeadAdministratorGetsOnlyTheHeading) {
    Start();
    server.Place("StorageBox_Small", {150, 100, 0});
    admin->Kill();
    Console("dumps");
    EXPECT_EQ(Texts(*admin), Strings{"DumpStructures"});
}

TEST_F(Dumps, MissingRadiusEndsAfterTheHeadingWithOneLoggedLine) {
    config.erase("radius");
    Start();
    server.Place("StorageBox_Small", {150, 100, 0});
    Console("dumps");
    EXPECT_EQ(Texts(*admin), Strings{"DumpStructures"});
    EXPECT_EQ(TestSupport::LogTail(server), Strings{"[Lockbury][error] (Private/Dumps Lockbury::DumpStructures) "
                                                    "[json.exception.type_error.302] type must be number, but is null"});
}

}  // namespace
