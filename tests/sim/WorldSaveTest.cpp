// World saves of the simulated game: what a save writes comes back whole at the next start, a
// crash inside a save leaves either the old world or the new one, the plugin's hooks run around
// the save and after a join, and a damaged world file stops the start with the file's name.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <random>
#include <sstream>
#include <tuple>

#include "Sim/World/WorldFile.h"
#include "support/ItemSpecs.h"
#include "support/SiblingExports.h"

namespace {

using TestSupport::Item;

constexpr std::uint64_t kAnn = 76561198000000001ull, kBob = 76561198000000002ull;

class Folder {
public:
    Folder() {
        // A folder of a random name that did not exist (mkdtemp is POSIX only).
        std::random_device random;
        for (int attempt = 0; attempt < 100 && dir_.empty(); ++attempt) {
            const auto dir = std::filesystem::temp_directory_path() / ("lockbury-world-" + std::to_string(random()));
            if (std::filesystem::create_directory(dir)) dir_ = dir;
        }
        if (dir_.empty()) throw std::runtime_error("cannot make a temporary folder");
    }
    ~Folder() {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
    const std::filesystem::path& Dir() const { return dir_; }

private:
    std::filesystem::path dir_;
};

// Every field the simulator keeps of an item, and its bytes.
auto Fields(const Sim::ItemView& i) {
    return std::make_tuple(i.className, i.id.ItemID1, i.id.ItemID2, i.quantity, i.slot, i.engram, i.initial, i.durability,
                           i.creationTime, i.nextSpoilingTime, i.spoilSeconds, i.payload, i.unserialisable, i.bytes);
}
std::vector<decltype(Fields(Sim::ItemView{}))> AllFields(const std::vector<Sim::ItemView>& items) {
    std::vector<decltype(Fields(Sim::ItemView{}))> out;
    for (const auto& item : items) out.push_back(Fields(item));
    return out;
}

std::vector<std::string> ActorsNear(FVector at) {
    TArray<AActor*> found;
    UVictoryCore::ServerOctreeOverlapActors(&found, ArkApi::GetApiUtils().GetWorld(), at, 50.0f,
                                            EServerOctreeGroup::STRUCTURES, false);
    std::vector<std::string> out;
    for (AActor* actor : found) {
        FString reference;
        std::string text = UVictoryCore::ClassToStringReference(&reference, actor->ClassField())->ToString();
        if (actor->IsA(APrimalTargetableActor::StaticClass()))
            text += " / " + static_cast<APrimalTargetableActor*>(actor)->DescriptiveNameField().ToString();
        out.push_back(text);
    }
    return out;
}

std::int64_t RealNowTicks() {
    return Sim::TicksFromUnixMicros(
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::system_clock::now().time_since_epoch()).count());
}

// The game mode's LastSaveWorldTime, read as the plugin reads the FDateTime.
std::int64_t TicksOf(FDateTime& time) { return reinterpret_cast<std::int64_t&>(time); }

constexpr std::int64_t kTicksPerSecond = 10000000;

std::vector<Sim::ItemRecord> SavedItemsOfAnn(const std::filesystem::path& file) {
    auto world = Sim::ReadWorldFile(file);
    if (!world || world->characters.empty() || world->characters[0].steamId != kAnn) return {};
    return world->characters[0].items;
}

TEST(WorldSave, EverythingSavedComesBackAtTheNextStart) {
    Folder folder;
    std::vector<Sim::ItemView> annItems, bobItems;
    std::vector<std::string> actors;
    std::int64_t savedAt = 0;
    {
        Sim::Server server(folder.Dir());
        EXPECT_EQ(server.LastSaveWorldTime(), 0) << "a world never saved";
        server.AdvanceGameTime(900.5);
        Sim::Player& ann = server.Join("Ann", kAnn);
        server.Give(
            ann,
            Item("PrimalItemConsumable_RawMeat").Quantity(7).Slot(4).Engram().Initial().Durability(3.5f).Spoils(600.25));
        std::vector<std::uint8_t> payload(70000);
        for (std::size_t i = 0; i < payload.size(); ++i) payload[i] = static_cast<std::uint8_t>(i * 7 + i / 256);
        server.Give(ann, Item("PrimalItem_WeaponEmptyCryopod").Slot(2).Durability(11.0f).Payload(payload));
        server.Give(ann, Item("PrimalItemResource_Wood").Quantity(100).Unserialisable());
        Sim::Player& bob = server.Join("Bob", kBob);
        server.Give(bob, Item("PrimalItem_WeaponStoneHatchet"));
        bob.MoveTo({10, 20, 30});
        annItems = ann.Inventory();
        bobItems = bob.Inventory();
        server.Leave("Bob");  // the character sleeps in the world, and the save keeps it
        server.Place("TekTransmitter", {0, 0, 0}, "Base Transmitter");
        server.PlaceNonTargetable("Rock", {0, 0, 5});
        server.SetPoints(kAnn, 250);
        server.Grant(kBob, "Lockbury.Load");
        actors = ActorsNear({0, 0, 0});
        ASSERT_EQ(actors.size(), 2u);

        server.ShiftClock(86400);  // the plugin's clock; the save time is the real one
        server.SaveWorld();
        savedAt = server.LastSaveWorldTime();
        EXPECT_NEAR(static_cast<double>(savedAt), static_cast<double>(RealNowTicks()), 60.0 * kTicksPerSecond)
            << "100 ns ticks since 0001-01-01";
        EXPECT_EQ(savedAt % 10, 0) << "kept to the microsecond";
        server.Give(ann, Item("PrimalItemResource_Stone").Quantity(5));  // after the save: not in it
    }  // no save at the end: the next start finds the world of the last save

    Sim::Server server(folder.Dir());
    EXPECT_EQ(server.LastSaveWorldTime(), savedAt) << "restored before anyone joins, to the microsecond";
    EXPECT_EQ(TicksOf(ArkApi::GetApiUtils().GetShooterGameMode()->LastSaveWorldTimeField()), savedAt);
    EXPECT_EQ(server.GameTime(), 900.5);
    EXPECT_EQ(server.Points(kAnn), 250);
    const TestSupport::HasPermissionFn hasPermission = TestSupport::FindHasPermission();
    ASSERT_NE(hasPermission, nullptr);
    EXPECT_TRUE(hasPermission(kBob, FString("Lockbury.Load")));
    EXPECT_FALSE(hasPermission(kAnn, FString("Lockbury.Load")));
    EXPECT_EQ(ActorsNear({0, 0, 0}), actors);

    Sim::Player& ann = server.Join("Annie", kAnn);  // the steam id finds the character, whatever the name
    EXPECT_EQ(AllFields(ann.Inventory()), AllFields(annItems)) << "same items, ids, fields and payloads";
    Sim::Player& bob = server.Join("Bob", kBob);
    EXPECT_EQ(AllFields(bob.Inventory()), AllFields(bobItems));
    EXPECT_EQ(bob.Location().Z, 30.0f);
    EXPECT_TRUE(server.Join("Cid", 3).Inventory().empty()) << "a steam id the world does not know starts afresh";

    server.SaveWorld();
    EXPECT_GT(server.LastSaveWorldTime(), savedAt);
}

// Whether the game restores LastSaveWorldTime from its save file is not known; the simulator
// plays both. Not restored, it is FDateTime's default until the first save of this run.
TEST(WorldSave, ANotRestoredSaveTimeIsZeroUntilTheFirstSave) {
    Folder folder;
    std::int64_t savedAt = 0;
    {
        Sim::Server server(folder.Dir());
        server.Join("Ann", kAnn);
        server.SaveWorld();
        savedAt = server.LastSaveWorldTime();
    }
    Sim::Server server(folder.Dir(), Sim::ServerOptions{.restoreSaveTime = false});
    EXPECT_EQ(server.LastSaveWorldTime(), 0);
    EXPECT_EQ(TicksOf(ArkApi::GetApiUtils().GetShooterGameMode()->LastSaveWorldTimeField()), 0);
    EXPECT_EQ(server.Join("Ann", kAnn).Name(), "Ann") << "the world itself is restored all the same";
    server.SaveWorld();
    EXPECT_GT(server.LastSaveWorldTime(), savedAt) << "a save of this run sets it, later than the file's";
    EXPECT_EQ(Sim::TicksFromUnixSeconds(Sim::ReadWorldFile(server.WorldFile())->lastSaveWorldTime),
              server.LastSaveWorldTime());
}

TEST(WorldSave, ACrashInsideTheSaveLeavesTheOldWorldBeforeTheRenameAndTheNewOneAfter) {
#if defined(_WIN32)
    GTEST_SKIP() << "a death test on Windows runs the test again in a new process, in a folder of its own";
#endif
    GTEST_FLAG_SET(death_test_style, "fast");  // the child must crash in this very folder
    Folder folder;
    Sim::Server server(folder.Dir());
    server.OnCrash([](const std::string& what) { std::fprintf(stderr, "crashed %s\n", what.c_str()); });
    Sim::Player& ann = server.Join("Ann", kAnn);
    server.Give(ann, Item("PrimalItemResource_Wood").Quantity(10));
    server.SaveWorld();
    const std::int64_t oldTime = server.LastSaveWorldTime();
    server.Give(ann, Item("PrimalItemResource_Stone").Quantity(3));

    EXPECT_EXIT(server.Crash(), testing::ExitedWithCode(137), "crashed the server process ends");
    EXPECT_EQ(SavedItemsOfAnn(server.WorldFile()).size(), 1u) << "a crash saves nothing";

    EXPECT_EXIT(server.CrashInSave(Sim::SaveCrash::BeforeRename), testing::ExitedWithCode(137), "before the new");
    auto world = Sim::ReadWorldFile(server.WorldFile());
    ASSERT_TRUE(world);
    EXPECT_EQ(Sim::TicksFromUnixSeconds(world->lastSaveWorldTime), oldTime);
    EXPECT_EQ(SavedItemsOfAnn(server.WorldFile()).size(), 1u);

    EXPECT_EXIT(server.CrashInSave(Sim::SaveCrash::AfterRename), testing::ExitedWithCode(137), "right after the new");
    world = Sim::ReadWorldFile(server.WorldFile());
    ASSERT_TRUE(world);
    EXPECT_GT(Sim::TicksFromUnixSeconds(world->lastSaveWorldTime), oldTime);
    EXPECT_EQ(SavedItemsOfAnn(server.WorldFile()).size(), 2u);
}

// What the detours saw, for the test to look at.
struct Seen {
    std::int64_t timeBefore = -1, timeAfter = -1;
    std::vector<Sim::ItemRecord> fileBefore, fileAfter;
    int joinItems = -1;
    bool callOriginal = true;
};
Seen seen;
void (*originalSave)(AShooterGameMode*) = nullptr;
bool (*originalJoin)(AShooterGameMode*, AShooterPlayerController*, UPrimalPlayerData*, AShooterCharacter*, bool) = nullptr;

void SaveDetour(AShooterGameMode* mode) {
    const std::filesystem::path file = std::filesystem::path(ArkApi::Tools::GetCurrentDir()) / "SavedArks/World.json";
    seen.timeBefore = TicksOf(mode->LastSaveWorldTimeField());
    seen.fileBefore = SavedItemsOfAnn(file);
    if (seen.callOriginal) originalSave(mode);
    seen.timeAfter = TicksOf(mode->LastSaveWorldTimeField());
    seen.fileAfter = SavedItemsOfAnn(file);
}

bool JoinDetour(AShooterGameMode* mode, AShooterPlayerController* player, UPrimalPlayerData* data,
                AShooterCharacter* character, bool fromLogin) {
    const bool handled = originalJoin(mode, player, data, character, fromLogin);
    seen.joinItems = player->GetPlayerInventoryComponent()->GetCurrentNumInventoryItems();
    return handled;
}

TEST(WorldSave, HooksRunAroundTheSaveAndAfterAJoin) {
    Folder folder;
    seen = Seen{};
    {
        Sim::Server server(folder.Dir());
        auto& hooks = ArkApi::GetHooks();
        ASSERT_TRUE(hooks.SetHook("AShooterGameMode.SaveWorld", reinterpret_cast<LPVOID>(&SaveDetour), &originalSave));
        Sim::Player& ann = server.Join("Ann", kAnn);
        server.Give(ann, Item("PrimalItemResource_Wood").Quantity(10));
        server.SaveWorld();
        EXPECT_EQ(seen.timeBefore, 0);
        EXPECT_TRUE(seen.fileBefore.empty()) << "the detour runs before the game's save";
        EXPECT_EQ(seen.timeAfter, server.LastSaveWorldTime());
        EXPECT_EQ(seen.fileAfter.size(), 1u) << "and the world is on disk when the original returns";

        seen.callOriginal = false;
        server.Give(ann, Item("PrimalItemResource_Stone").Quantity(3));
        EXPECT_THROW(server.SaveWorld(), std::runtime_error) << "a save a hook swallowed is no save";
        EXPECT_EQ(SavedItemsOfAnn(server.WorldFile()).size(), 1u);
        ASSERT_TRUE(hooks.DisableHook("AShooterGameMode.SaveWorld", reinterpret_cast<LPVOID>(&SaveDetour)));
        server.Shutdown();  // a clean shutdown saves
    }
    Sim::Server server(folder.Dir());
    ASSERT_TRUE(ArkApi::GetHooks().SetHook("AShooterGameMode.HandleNewPlayer_Implementation",
                                           reinterpret_cast<LPVOID>(&JoinDetour), &originalJoin));
    server.Join("Ann", kAnn);
    EXPECT_EQ(seen.joinItems, 2) << "the hook sees the restored character with its inventory";
    EXPECT_TRUE(ArkApi::GetHooks().DisableHook("AShooterGameMode.HandleNewPlayer_Implementation",
                                               reinterpret_cast<LPVOID>(&JoinDetour)));
}

TEST(WorldSave, ADamagedWorldFileStopsTheStartNamingTheFileAndTheFault) {
    Folder folder;
    std::string good;
    {
        Sim::Server server(folder.Dir());
        Sim::Player& ann = server.Join("Ann", kAnn);
        server.Give(ann, Item("PrimalItemResource_Wood").Quantity(10));
        server.Give(ann, Item("PrimalItemResource_Stone").Quantity(10));
        server.SaveWorld();
        std::ifstream in(server.WorldFile());
        std::ostringstream text;
        text << in.rdbuf();
        good = text.str();
    }
    auto replaced = [&](const std::string& from, const std::string& to) {
        std::string text = good;
        const auto at = text.find(from);
        if (at == std::string::npos) throw std::logic_error("no " + from + " in the world file");
        return text.replace(at, from.size(), to);
    };
    const auto firstId = good.substr(good.find("\"id\""), good.find(']', good.find("\"id\"")) - good.find("\"id\""));
    const auto secondIdAt = good.find("\"id\"", good.find("\"id\"") + 1);
    std::string twice = good;
    twice.replace(secondIdAt, good.find(']', secondIdAt) - secondIdAt, firstId);

    const std::vector<std::pair<std::string, std::string>> damaged = {
        {good.substr(0, good.size() / 2), "damaged JSON"},
        {replaced("\"PrimalItemResource_Stone\"", "\"PrimalItemResource_Gold\""), "characters[0].items[1].class"},
        {replaced("\"quantity\": 10", "\"quantity\": -4"), "characters[0].items[0].quantity"},
        {replaced("\"payload\": \"\"", "\"payload\": \"#\""), "characters[0].items[0].payload"},
        {replaced("\"steamId\": \"76561198000000001\"", "\"steamId\": 76561198000000001"), "characters[0].steamId"},
        {twice, "is held by another item already"},
    };
    const auto file = Sim::WorldFilePath(folder.Dir());
    for (const auto& [text, fault] : damaged) {
        SCOPED_TRACE(fault);
        std::ofstream(file, std::ios::trunc) << text;
        try {
            Sim::Server server(folder.Dir());
            ADD_FAILURE() << "the server started on a damaged world";
        } catch (const Sim::WorldFileError& e) {
            EXPECT_NE(std::string(e.what()).find(file.string() + ": "), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find(fault), std::string::npos) << e.what();
        }
    }
    // A refused start leaves nothing behind: the good world starts in the same process.
    std::ofstream(file, std::ios::trunc) << good;
    Sim::Server server(folder.Dir());
    EXPECT_EQ(server.Join("Ann", kAnn).Inventory().size(), 2u);
}

}  // namespace
