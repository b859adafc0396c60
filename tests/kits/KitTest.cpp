// makekit and getkit, typed at an administrator's console in the simulated server: what the
// administrator is told, which files the kit folder holds and what comes back into the inventory.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <set>

#include "Sim/Runtime/HostState.h"
#include "support/PluginServer.h"
#include "support/TestConfig.h"

namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

Sim::ItemSpec Spec(const std::string& className) {
    Sim::ItemSpec spec;
    spec.className = className;
    return spec;
}

class Kits : public ::testing::Test {
protected:
    void SetUp() override {
        server.WriteConfig(TestSupport::DefaultConfig(db.Params()));
        server.Load();
        ASSERT_EQ(server.ConsoleCommands().size(), 4u);
    }
    void TearDown() override { EXPECT_TRUE(HostRuntime::EscapedErrors().empty()); }

    fs::path KitsDir() const { return server.PluginDir() / "kits"; }
    // The files of a kit folder, by name.
    std::set<std::string> Files(const std::string& kit) const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(KitsDir() / kit)) names.insert(entry.path().filename());
        return names;
    }
    static std::vector<std::uint8_t> Content(const fs::path& file) {
        std::ifstream in(file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    static void Write(const fs::path& file, const std::vector<std::uint8_t>& bytes) {
        std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                    static_cast<std::streamsize>(bytes.size()));
    }
    // What the administrator was told by one console line.
    Strings Console(Sim::Player& player, const std::string& line) {
        player.ClearReceived();
        EXPECT_TRUE(server.Console(player, line));
        return TestSupport::Texts(player);
    }
    static Strings ClassNames(const Sim::Player& player) {
        Strings names;
        for (const auto& item : player.Inventory()) names.push_back(item.className);
        std::sort(names.begin(), names.end());
        return names;
    }

    TestSupport::ScratchDatabase db;
    TestSupport::PluginServer server;
};

TEST_F(Kits, CommandAloneGetsSyntaxTextInRedAndTouchesNoFolder) {
    auto& admin = server.Join("admin", 1);
    server.Give(admin, Spec("PrimalItem_WeaponStoneHatchet"));
    for (const char* line : {"makekit", "makekit   "}) {
        EXPECT_EQ(Console(admin, line), Strings{"Wrong Syntax. Use makekit 'name of the kit'"});
        EXPECT_EQ(admin.Received()[0].kind, Sim::Output::Kind::Server);
        EXPECT_EQ(admin.Received()[0].colour, Colors::Red());
        EXPECT_FALSE(admin.Received()[0].bold);
    }
    for (const char* line : {"getkit", "getkit  "}) {
        EXPECT_EQ(Console(admin, line), Strings{"Wrong Syntax. Use getkit 'name of the kit'"});
        EXPECT_EQ(admin.Received()[0].colour, Colors::Red());
    }
    EXPECT_FALSE(fs::exists(KitsDir()));
}

TEST_F(Kits, RoundTripKeepsEveryStorableItemAsItsRawBytes) {
    auto& admin = server.Join("admin", 1);
    const auto hatchet = server.Give(admin, Spec("PrimalItem_WeaponStoneHatchet"));
    auto woodSpec = Spec("PrimalItemResource_Wood");
    woodSpec.quantity = 80;
    woodSpec.payload = std::vector<std::uint8_t>(5000, 0xAB);
    const auto wood = server.Give(admin, woodSpec);
    auto engram = Spec("PrimalItemArmor_ClothShirt");
    engram.engram = true;
    server.Give(admin, engram);
    auto initial = Spec("PrimalItem_WeaponStoneHatchet");
    initial.initial = true;
    server.Give(admin, initial);
    auto empty = Spec("PrimalItemConsumable_RawMeat");
    empty.unserialisable = true;
    server.Give(admin, empty);

    // Two spaces count as one and a third word is ignored; the kits folder is made when missing.
    EXPECT_EQ(Console(admin, "makekit  starter extra"), Strings{"Kit created"});
    EXPECT_EQ(admin.Received()[0].colour, Colors::Green());
    const std::string hatchetFile = "_" + std::to_string(hatchet.id.ItemID1) + "_" +
                                    std::to_string(hatchet.id.ItemID2) + hatchet.objectName + ".bin";
    const std::string woodFile =
        "_" + std::to_string(wood.id.ItemID1) + "_" + std::to_string(wood.id.ItemID2) + wood.objectName + ".bin";
    EXPECT_EQ(Files("starter"), (std::set<std::string>{hatchetFile, woodFile}));
    EXPECT_EQ(Content(KitsDir() / "starter" / hatchetFile), hatchet.bytes);
    EXPECT_EQ(Content(KitsDir() / "starter" / woodFile), wood.bytes);

    auto& other = server.Join("other", 2);
    EXPECT_TRUE(Console(other, "getkit starter").empty());
    const auto given = other.Inventory();
    ASSERT_EQ(given.size(), 2u);
    for (const auto& item : given) {
        if (item.className == "PrimalItemResource_Wood") {
            EXPECT_EQ(item.quantity, 80);
            EXPECT_EQ(item.payload, woodSpec.payload);
        } else {
            EXPECT_EQ(item.className, "PrimalItem_WeaponStoneHatchet");
            EXPECT_FLOAT_EQ(item.durability, hatchet.durability);
        }
    }
}

TEST_F(Kits, MakingAKitTwiceKeepsTheUnion) {
    auto& admin = server.Join("admin", 1);
    server.Give(admin, Spec("PrimalItem_WeaponStoneHatchet"));
    Console(admin, "makekit twice");
    server.Give(admin, Spec("PrimalItemArmor_ClothShirt"));
    Console(admin, "makekit twice");
    EXPECT_EQ(Files("twice").size(), 2u);
}

TEST_F(Kits, EmptyInventoryMakesAnEmptyKit) {
    auto& admin = server.Join("admin", 1);
    EXPECT_EQ(Console(admin, "makekit nothing"), Strings{"Kit created"});
    EXPECT_TRUE(fs::is_directory(KitsDir() / "nothing"));
    EXPECT_EQ(Console(admin, "getkit nothing"), Strings{"Kit not found"});
    EXPECT_EQ(admin.Received()[0].colour, Colors::Red());

    admin.RemoveInventory();
    EXPECT_EQ(Console(admin, "makekit noinventory"), Strings{"Kit created"});
    EXPECT_TRUE(fs::is_directory(KitsDir() / "noinventory"));
}

TEST_F(Kits, UnknownKitGetsNoReply) {
    auto& admin = server.Join("admin", 1);
    EXPECT_TRUE(Console(admin, "getkit neverMade").empty());
    EXPECT_TRUE(admin.Inventory().empty());
    EXPECT_TRUE(server.LogLines().empty());
}

TEST_F(Kits, FileCopiedInByHandIsGivenWhateverItsName) {
    auto& source = server.Join("source", 1);
    const auto shirt = server.Give(source, Spec("PrimalItemArmor_ClothShirt"));
    fs::create_directories(KitsDir() / "manual");
    Write(KitsDir() / "manual" / "shirt from last season.txt", shirt.bytes);

    auto& admin = server.Join("admin", 2);
    EXPECT_TRUE(Console(admin, "getkit manual").empty());
    EXPECT_EQ(ClassNames(admin), Strings{"PrimalItemArmor_ClothShirt"});
}

TEST_F(Kits, CryopodComesBackWithDurabilityRaisedAndAFreshHour) {
    auto& admin = server.Join("admin", 1);
    auto cryo = Spec("PrimalItem_WeaponEmptyCryopod");
    cryo.durability = 12.0f;
    cryo.payload = std::vector<std::uint8_t>(20000, 7);  // a creature inside
    server.Give(admin, cryo);
    auto hatchetSpec = Spec("PrimalItem_WeaponStoneHatchet");
    hatchetSpec.durability = 30.0f;
    server.Give(admin, hatchetSpec);
    Console(admin, "makekit pods");

    server.AdvanceGameTime(500.0);
    auto& other = server.Join("other", 2);
    Console(other, "getkit pods");
    const auto given = other.Inventory();
    ASSERT_EQ(given.size(), 2u);
    for (const auto& item : given) {
        if (item.className == "PrimalItem_WeaponEmptyCryopod") {
            EXPECT_FLOAT_EQ(item.durability, 24.0f);
            EXPECT_DOUBLE_EQ(item.creationTime, server.GameTime() + 3600.0);
            EXPECT_EQ(item.payload, cryo.payload);
        } else {
            EXPECT_FLOAT_EQ(item.durability, 30.0f);  // no rule for other items
        }
    }
}

TEST_F(Kits, HostileNamesAreRefusedAndNothingIsCreatedOutsideTheKitsFolder) {
    auto& admin = server.Join("admin", 1);
    server.Give(admin, Spec("PrimalItem_WeaponStoneHatchet"));
    const auto before = [&] {
        std::set<std::string> all;
        for (const auto& entry : fs::recursive_directory_iterator(server.Dir())) all.insert(entry.path());
        return all;
    };
    const auto snapshot = before();
    for (const char* name : {".", "..", "../escape", "a/b", "..\\escape", "c:evil", "/tmp"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(Console(admin, std::string("makekit ") + name), Strings{"Invalid kit name"});
        EXPECT_EQ(admin.Received()[0].colour, Colors::Red());
        EXPECT_EQ(Console(admin, std::string("getkit ") + name), Strings{"Invalid kit name"});
    }
    EXPECT_EQ(before(), snapshot);
    EXPECT_EQ(admin.Inventory().size(), 1u);
}

TEST_F(Kits, UnwritableKitSaysHowManyItemsWereLost) {
    auto& admin = server.Join("admin", 1);
    server.Give(admin, Spec("PrimalItem_WeaponStoneHatchet"));
    server.Give(admin, Spec("PrimalItemArmor_ClothShirt"));
    auto engram = Spec("PrimalItemArmor_ClothShirt");
    engram.engram = true;
    server.Give(admin, engram);
    // A plain file where the kit's folder should be: no item file can be written.
    fs::create_directories(KitsDir());
    std::ofstream(KitsDir() / "blocked") << "not a folder";
    EXPECT_EQ(Console(admin, "makekit blocked"), Strings{"Kit incomplete: 2 items could not be written"});
    EXPECT_EQ(admin.Received()[0].colour, Colors::Red());
    EXPECT_EQ(admin.Inventory().size(), 3u);  // making a kit never takes anything away
}

TEST_F(Kits, DamagedAndUnreadableEntriesAreSkippedAndTheRestIsGiven) {
    auto& admin = server.Join("admin", 1);
    server.Give(admin, Spec("PrimalItem_WeaponStoneHatchet"));
    server.Give(admin, Spec("PrimalItemArmor_ClothShirt"));
    Console(admin, "makekit mixed");
    Write(KitsDir() / "mixed" / "damaged.bin", {1, 2, 3, 4, 5});
    Write(KitsDir() / "mixed" / "empty.bin", {});
    fs::create_directories(KitsDir() / "mixed" / "subfolder");

    auto& other = server.Join("other", 2);
    EXPECT_TRUE(Console(other, "getkit mixed").empty());
    EXPECT_EQ(ClassNames(other), (Strings{"PrimalItemArmor_ClothShirt", "PrimalItem_WeaponStoneHatchet"}));
    EXPECT_EQ(TestSupport::LogTail(server).size(), 3u);  // one warning per skipped entry
}

TEST_F(Kits, ItemsTheInventoryRefusesAreSkipped) {
    auto& admin = server.Join("admin", 1);
    for (int i = 0; i < 3; ++i) server.Give(admin, Spec("PrimalItem_WeaponStoneHatchet"));
    Console(admin, "makekit three");
    auto& other = server.Join("other", 2);
    other.SetInventoryCapacity(2);
    EXPECT_TRUE(Console(other, "getkit three").empty());
    EXPECT_EQ(other.Inventory().size(), 2u);

    auto& ghost = server.Join("ghost", 3);
    ghost.RemoveInventory();
    EXPECT_TRUE(Console(ghost, "getkit three").empty());
}

TEST_F(Kits, KitPathThatIsAFileCountsAsNoKit) {
    auto& admin = server.Join("admin", 1);
    fs::create_directories(KitsDir());
    std::ofstream(KitsDir() / "plainfile") << "x";
    EXPECT_TRUE(Console(admin, "getkit plainfile").empty());
    EXPECT_TRUE(admin.Inventory().empty());
    EXPECT_TRUE(server.LogLines().empty());
}

TEST_F(Kits, FileSystemErrorsEndTheCommandWithOneLoggedLine) {
    auto& admin = server.Join("admin", 1);
    server.Give(admin, Spec("PrimalItem_WeaponStoneHatchet"));
    const std::string tooLong(300, 'k');  // longer than a file name may be
    EXPECT_EQ(Console(admin, "makekit " + tooLong), Strings{"Kit incomplete: 1 items could not be written"});
    EXPECT_TRUE(Console(admin, "getkit " + tooLong).empty());
    const auto tail = TestSupport::LogTail(server);
    ASSERT_EQ(tail.size(), 1u);
    EXPECT_EQ(tail[0].rfind("[Lockbury][error] (Private/Kits Lockbury::GetKit) ", 0), 0u) << tail[0];
    EXPECT_NE(tail[0].find("File name too long"), std::string::npos) << tail[0];
}

}  // namespace
