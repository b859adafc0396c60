// makekit and getkit, typed at an administrator's console in the simulated server: what the
// administrator is told, which files the kit folder holds and what comes back into the inventory.
#include <gtest/gtest.h>
#if !defined(_WIN32)
#include <sys/resource.h>
#endif

#include <algorithm>
#include <csignal>
#include <fstream>
#include <set>

#include "Host/Utf.h"
#include "HostRuntime/HostState.h"
#include "Private/Kits/KitFiles.h"
#include "Private/Kits/PortableFileName.h"
#include "Private/Plugin/PluginFolder.h"
#include "Sim/Colours.h"
#include "support/PluginTest.h"

namespace {

namespace fs = std::filesystem;
using TestSupport::Item;
using TestSupport::Strings;

// The name makekit gives the item's file.
std::string FileName(const Sim::ItemView& item) {
    return "_" + std::to_string(item.id.ItemID1) + "_" + std::to_string(item.id.ItemID2) + item.objectName + ".bin";
}

// A path as UTF-8 text, with "/" between its parts on both systems.
std::string Utf8(const fs::path& path) {
    const std::u8string text = path.generic_u8string();
    return {text.begin(), text.end()};
}

#if !defined(_WIN32)
// While it lives, a write of this process past `bytes` into any file fails with "File too large":
// the tests run as root, whom permission bits do not stop, but this limit does.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        signalWas_ = std::signal(SIGXFSZ, SIG_IGN);  // else the process is killed instead
        rlimit lowered = saved_;
        lowered.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, signalWas_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved_{};
    void (*signalWas_)(int) = SIG_DFL;
};
#endif

// While it lives, the game spends the durability of every item its inventories take.
class DurabilitySpentOnAdd {
public:
    DurabilitySpentOnAdd() { EXPECT_TRUE(ArkApi::GetHooks().SetHook(kName, reinterpret_cast<LPVOID>(&Add), &game_)); }
    ~DurabilitySpentOnAdd() { ArkApi::GetHooks().DisableHook(kName, reinterpret_cast<LPVOID>(&Add)); }
    DurabilitySpentOnAdd(const DurabilitySpentOnAdd&) = delete;
    DurabilitySpentOnAdd& operator=(const DurabilitySpentOnAdd&) = delete;

private:
    using AddFn = UPrimalItem*(UPrimalInventoryComponent*, UPrimalItem*);
    static constexpr const char* kName = "UPrimalInventoryComponent.AddItemObject";
    static UPrimalItem* Add(UPrimalInventoryComponent* inventory, UPrimalItem* item) {
        UPrimalItem* added = game_(inventory, item);
        item->ItemDurabilityField() = 0.0f;
        return added;
    }
    static inline AddFn* game_ = nullptr;
};

class Kits : public TestSupport::PluginTest {
protected:
    void SetUp() override {
        Start();
        ASSERT_EQ(server.ConsoleCommands().size(), 8u);
    }

    fs::path KitsDir() const { return server.PluginDir() / "kits"; }
    // The files of a kit folder, by name.
    std::set<std::string> Files(const std::string& kit) const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(KitsDir() / Lockbury::Utf8Path(kit)))
            names.insert(Utf8(entry.path().filename()));
        return names;
    }
    static std::vector<std::uint8_t> Content(const fs::path& file) {
        std::ifstream in(file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    static void Write(const fs::path& file, const std::vector<std::uint8_t>& bytes) {
        std::ofstream(file, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
};

TEST_F(Kits, CommandAloneGetsSyntaxTextInRedAndTouchesNoFolder) {
    auto& admin = Join("admin");
    admin.PicksUp(Item("PrimalItem_WeaponStoneHatchet"));
    for (const char* line : {"makekit", "makekit   "}) {
        EXPECT_EQ(admin.Console(line), Strings{"Wrong Syntax. Use makekit 'name of the kit'"});
        EXPECT_EQ(admin.Shown().kind, Sim::Output::Kind::Server);
        EXPECT_EQ(admin.Shown().colour, Sim::Colours::Red());
        EXPECT_FALSE(admin.Shown().bold);
    }
    for (const char* line : {"getkit", "getkit  "}) {
        EXPECT_EQ(admin.Console(line), Strings{"Wrong Syntax. Use getkit 'name of the kit'"});
        EXPECT_EQ(admin.Shown().colour, Sim::Colours::Red());
    }
    EXPECT_FALSE(fs::exists(KitsDir()));
}

TEST_F(Kits, RoundTripKeepsEveryStorableItemAsItsRawBytes) {
    auto& admin = Join("admin");
    const auto hatchet = admin.PicksUp(Item("PrimalItem_WeaponStoneHatchet"));
    const std::vector<std::uint8_t> payload(5000, 0xAB);
    const auto wood = admin.PicksUp(Item("PrimalItemResource_Wood").Quantity(80).Payload(payload));
    admin.PicksUp(Item("PrimalItemArmor_ClothShirt").Engram());
    admin.PicksUp(Item("PrimalItem_WeaponStoneHatchet").Initial());
    admin.PicksUp(Item("PrimalItemConsumable_RawMeat").Unserialisable());

    // Two spaces count as one and a third word is ignored; the kits folder is made when missing.
    EXPECT_EQ(admin.Console("makekit  starter extra"), Strings{"Kit created"});
    EXPECT_EQ(admin.Shown().colour, Sim::Colours::Green());
    const std::string hatchetFile = FileName(hatchet);
    const std::string woodFile = FileName(wood);
    EXPECT_EQ(Files("starter"), (std::set<std::string>{hatchetFile, woodFile}));
    EXPECT_EQ(Content(KitsDir() / "starter" / hatchetFile), hatchet.bytes);
    EXPECT_EQ(Content(KitsDir() / "starter" / woodFile), wood.bytes);

    auto& other = Join("other");
    EXPECT_TRUE(other.Console("getkit starter").empty());
    EXPECT_EQ(other->Inventory().size(), 2u);
    EXPECT_TRUE(other.Holds(Item("PrimalItemResource_Wood").Quantity(80).Payload(payload)));
    EXPECT_TRUE(other.Holds(Item("PrimalItem_WeaponStoneHatchet").Durability(hatchet.durability)));
}

TEST_F(Kits, MakingAKitTwiceKeepsTheUnion) {
    auto& admin = Join("admin");
    admin.PicksUp(Item("PrimalItem_WeaponStoneHatchet"));
    admin.Console("makekit twice");
    admin.PicksUp(Item("PrimalItemArmor_ClothShirt"));
    admin.Console("makekit twice");
    EXPECT_EQ(Files("twice").size(), 2u);
}

TEST_F(Kits, EmptyInventoryMakesAnEmptyKit) {
    auto& admin = Join("admin");
    EXPECT_EQ(admin.Console("makekit nothing"), Strings{"Kit created"});
    EXPECT_TRUE(fs::is_directory(KitsDir() / "nothing"));
    EXPECT_EQ(admin.Console("getkit nothing"), Strings{"Kit not found"});
    EXPECT_EQ(admin.Shown().colour, Sim::Colours::Red());

    admin->RemoveInventory();
    EXPECT_EQ(admin.Console("makekit noinventory"), Strings{"Kit created"});
    EXPECT_TRUE(fs::is_directory(KitsDir() / "noinventory"));
}

TEST_F(Kits, UnknownKitGetsNoReply) {
    auto& admin = Join("admin");
    EXPECT_TRUE(admin.Console("getkit neverMade").empty());
    EXPECT_TRUE(admin->Inventory().empty());
    EXPECT_TRUE(server.LogLines().empty());
}

TEST_F(Kits, FileCopiedInByHandIsGivenWhateverItsName) {
    auto& source = Join("source");
    const auto shirt = source.PicksUp(Item("PrimalItemArmor_ClothShirt"));
    fs::create_directories(KitsDir() / "manual");
    Write(KitsDir() / "manual" / "shirt from last season.txt", shirt.bytes);

    auto& admin = Join("admin");
    EXPECT_TRUE(admin.Console("getkit manual").empty());
    EXPECT_EQ(admin.Classes(), Strings{"PrimalItemArmor_ClothShirt"});
}

TEST_F(Kits, CryopodComesBackWithDurabilityRaisedAndAFreshHour) {
    auto& admin = Join("admin");
    const std::vector<std::uint8_t> creature(20000, 7);
    admin.PicksUp(Item("PrimalItem_WeaponEmptyCryopod").Durability(12.0f).Payload(creature));
    admin.PicksUp(Item("PrimalItem_WeaponStoneHatchet").Durability(30.0f));
    admin.Console("makekit pods");

    server.AdvanceGameTime(500.0);
    auto& other = Join("other");
    other.Console("getkit pods");
    EXPECT_EQ(other->Inventory().size(), 2u);
    EXPECT_TRUE(other.Holds(Item("PrimalItem_WeaponEmptyCryopod").Durability(24.0f).Payload(creature)));
    EXPECT_DOUBLE_EQ(other.Stack("PrimalItem_WeaponEmptyCryopod").creationTime, server.GameTime() + 3600.0);
    EXPECT_TRUE(other.Holds(Item("PrimalItem_WeaponStoneHatchet").Durability(30.0f)));  // no rule for other items
}

// The top-up is the durability the kit file holds, whatever adding does to the item handed
// in; without a world there is no game time, so the pod keeps its date but is still topped up.
TEST_F(Kits, CryopodTopUpIsTheStoredDurabilityAndNeedsNoWorld) {
    auto& admin = Join("admin");
    const auto made = admin.PicksUp(Item("PrimalItem_WeaponEmptyCryopod").Durability(12.0f));
    admin.Console("makekit pods");
    auto& spent = Join("spent");
    auto& worldless = Join("worldless");

    {
        DurabilitySpentOnAdd spending;
        spent.Console("getkit pods");
    }
    ASSERT_EQ(spent->Inventory().size(), 1u);
    EXPECT_FLOAT_EQ(spent->Inventory()[0].durability, 12.0f);  // nothing left after adding, plus the stored 12

    UWorld* world = ArkApi::GetApiUtils().GetWorld();
    HostRuntime::SetWorld(nullptr);
    worldless.Console("getkit pods");
    HostRuntime::SetWorld(world);
    const auto given = worldless->Inventory();
    ASSERT_EQ(given.size(), 1u);
    EXPECT_FLOAT_EQ(given[0].durability, 24.0f);
    EXPECT_DOUBLE_EQ(given[0].creationTime, made.creationTime);
    EXPECT_EQ(given[0].updatedItemCalls, 1);
    EXPECT_TRUE(server.LogLines().empty());
}

TEST_F(Kits, OnlyNamesValidOnWindowsAndLinuxAlikeAreKitNames) {
    auto& admin = Join("admin");
    admin.PicksUp(Item("PrimalItem_WeaponStoneHatchet"));
    ASSERT_EQ(admin.Console("makekit existing"), Strings{"Kit created"});
    const auto everything = [&] {
        std::set<std::string> all;
        for (const auto& entry : fs::recursive_directory_iterator(server.Dir())) all.insert(Utf8(entry.path()));
        return all;
    };
    const auto snapshot = everything();
    std::string emoji32, emoji33, cyrillic64, cyrillic65;  // 64 and more UTF-16 code units
    for (int i = 0; i < 32; ++i) emoji32 += "\xF0\x9F\x98\x80";
    emoji33 = emoji32 + "\xF0\x9F\x98\x80";
    for (int i = 0; i < 64; ++i) cyrillic64 += "\xD0\xB9";
    cyrillic65 = cyrillic64 + "\xD0\xB9";
    const Strings refused{// Escaping the kits folder, or no folder at all.
                          ".", "..", "...", "../escape", "a/b", "..\\escape", "a\\b", "c:evil", "/tmp",
                          // Devices on Windows, whatever the case and extension.
                          "CON", "con", "Nul", "AUX", "prn", "COM0", "com1", "COM9", "LPT1", "lpt9", "COM\xC2\xB9",
                          "lpt\xC2\xB2", "Com\xC2\xB3", "con.txt", "Nul.tar.gz", "CON..txt", "aux.",
                          // Characters Windows refuses, control characters and a trailing dot.
                          "*", "?", "<>|\"", "a<b", "a>b", "a|b", "a\"b", "what?", "star*", "x.", "tab\there", "bell\a",
                          std::string("unit\x1f"), std::string("a\0b", 3),
                          // Too long.
                          std::string(65, 'k'), emoji33, cyrillic65};
    for (const auto& name : refused) {
        SCOPED_TRACE(name);
        EXPECT_EQ(admin.Console("makekit " + name), Strings{"Invalid kit name"});
        EXPECT_EQ(admin.Shown().colour, Sim::Colours::Red());
        EXPECT_EQ(admin.Console("getkit " + name), Strings{"Invalid kit name"});
        EXPECT_EQ(admin.Shown().colour, Sim::Colours::Red());
    }
    EXPECT_EQ(everything(), snapshot);
    EXPECT_EQ(admin->Inventory().size(), 1u);

    const Strings accepted{"base_1",  "\xD1\x81\xD0\xB5\xD0\xB9\xD1\x84" /* сейф */,
                           "a.b",     "CONSOLE",
                           "com10",   "LPT",
                           "nul_kit", "x.con",
                           "_con",    std::string(64, 'k'),
                           emoji32,   cyrillic64};
    for (const auto& name : accepted) {
        SCOPED_TRACE(name);
        auto& player = Join("maker of " + name);
        player.PicksUp(Item("PrimalItemArmor_ClothShirt"));
        EXPECT_EQ(player.Console("makekit " + name), Strings{"Kit created"});
        EXPECT_EQ(Files(name).size(), 1u);  // the folder bears the name as typed
        EXPECT_TRUE(player.Console("getkit " + name).empty());
        EXPECT_EQ(player->Inventory().size(), 2u);
    }
    EXPECT_TRUE(server.LogLines().empty());
}

#if !defined(_WIN32)  // the reasons are the C library's texts; links and size limits are POSIX
TEST_F(Kits, UnwritableKitSaysHowManyItemsWereLost) {
    auto& admin = Join("admin");
    admin.PicksUp(Item("PrimalItem_WeaponStoneHatchet"));
    admin.PicksUp(Item("PrimalItemArmor_ClothShirt"));
    admin.PicksUp(Item("PrimalItemArmor_ClothShirt").Engram());
    // A plain file where the kit's folder should be: no item file can be written.
    fs::create_directories(KitsDir());
    std::ofstream(KitsDir() / "blocked") << "not a folder";
    EXPECT_EQ(admin.Console("makekit blocked"), Strings{"Kit incomplete: 2 items could not be written"});
    EXPECT_EQ(admin.Shown().colour, Sim::Colours::Red());
    EXPECT_EQ(admin->Inventory().size(), 3u);  // making a kit never takes anything away
    const auto tail = TestSupport::LogTail(server);
    ASSERT_EQ(tail.size(), 1u);  // one reason for the whole kit, not one per item
    EXPECT_EQ(tail[0].rfind("[Lockbury][warning] (Private/Kits Lockbury::MakeKit) ", 0), 0u) << tail[0];
    EXPECT_NE(tail[0].find("kits/blocked/ could not be made: File exists"), std::string::npos) << tail[0];
}

#endif

TEST_F(Kits, DamagedAndUnreadableEntriesAreSkippedAndTheRestIsGiven) {
    auto& admin = Join("admin");
    admin.PicksUp(Item("PrimalItem_WeaponStoneHatchet"));
    admin.PicksUp(Item("PrimalItemArmor_ClothShirt"));
    admin.Console("makekit mixed");
    Write(KitsDir() / "mixed" / "damaged.bin", {1, 2, 3, 4, 5});
    Write(KitsDir() / "mixed" / "empty.bin", {});
    fs::create_directories(KitsDir() / "mixed" / "subfolder");

    auto& other = Join("other");
    EXPECT_TRUE(other.Console("getkit mixed").empty());
    EXPECT_EQ(other.Classes(), (Strings{"PrimalItemArmor_ClothShirt", "PrimalItem_WeaponStoneHatchet"}));
    EXPECT_EQ(TestSupport::LogTail(server).size(), 3u);  // one warning per skipped entry
}

TEST_F(Kits, ItemsTheInventoryRefusesAreSkipped) {
    auto& admin = Join("admin");
    for (int i = 0; i < 3; ++i) admin.PicksUp(Item("PrimalItem_WeaponStoneHatchet"));
    admin.Console("makekit three");
    auto& other = Join("other");
    other->SetInventoryCapacity(2);
    EXPECT_TRUE(other.Console("getkit three").empty());
    EXPECT_EQ(other->Inventory().size(), 2u);

    auto& ghost = Join("ghost");
    ghost->RemoveInventory();
    EXPECT_TRUE(ghost.Console("getkit three").empty());
}

TEST_F(Kits, KitPathThatIsAFileCountsAsNoKit) {
    auto& admin = Join("admin");
    fs::create_directories(KitsDir());
    std::ofstream(KitsDir() / "plainfile") << "x";
    EXPECT_TRUE(admin.Console("getkit plainfile").empty());
    EXPECT_TRUE(admin->Inventory().empty());
    EXPECT_TRUE(server.LogLines().empty());
}

#if !defined(_WIN32)  // the reasons are the C library's texts; links and size limits are POSIX
TEST_F(Kits, FileSystemErrorsEndTheCommandWithOneLoggedLine) {
    auto& admin = Join("admin");
    admin.PicksUp(Item("PrimalItem_WeaponStoneHatchet"));
    fs::create_directories(KitsDir());
    fs::create_directory_symlink("loop", KitsDir() / "loop");  // a link to itself: no look-up through it ends
    ExpectErrorLog("[Lockbury][error] (Private/Kits Lockbury::GetKit) ");
    EXPECT_EQ(admin.Console("makekit loop"), Strings{"Kit incomplete: 1 items could not be written"});
    EXPECT_TRUE(admin.Console("getkit loop").empty());
    const auto tail = TestSupport::LogTail(server);
    ASSERT_EQ(tail.size(), 2u);
    EXPECT_EQ(tail[0].rfind("[Lockbury][warning] (Private/Kits Lockbury::MakeKit) ", 0), 0u) << tail[0];
    for (const auto& line : tail) EXPECT_NE(line.find("Too many levels of symbolic links"), std::string::npos) << line;
}

TEST_F(Kits, ItemFilesAreReplacedWholeOrNotAtAllAndLeftoversAreNotGiven) {
    auto& admin = Join("admin");
    const auto hatchet = admin.PicksUp(Item("PrimalItem_WeaponStoneHatchet"));
    const auto wood = admin.PicksUp(Item("PrimalItemResource_Wood").Payload(std::vector<std::uint8_t>(20000, 0x5A)));
    ASSERT_EQ(admin.Console("makekit safe"), Strings{"Kit created"});
    const fs::path folder = KitsDir() / "safe";
    const std::set<std::string> kitFiles{FileName(hatchet), FileName(wood)};
    ASSERT_EQ(Files("safe"), kitFiles);

    // A folder now stands where the hatchet's file was, and no file may grow past 4 KiB: the
    // wood's new file is cut short while it is written.
    fs::remove(folder / FileName(hatchet));
    fs::create_directories(folder / FileName(hatchet) / "inside");
    ASSERT_GT(wood.bytes.size(), 4096u);
    ASSERT_LT(hatchet.bytes.size(), 4096u);
    Strings replies;
    {
        FileSizeLimit limit(4096);
        replies = admin.Console("makekit safe");
    }
    EXPECT_EQ(replies, Strings{"Kit incomplete: 2 items could not be written"});
    EXPECT_EQ(Content(folder / FileName(wood)), wood.bytes);  // the old file, whole
    EXPECT_TRUE(fs::is_directory(folder / FileName(hatchet) / "inside"));
    EXPECT_EQ(Files("safe"), kitFiles);  // no temporary file left behind
    const auto tail = TestSupport::LogTail(server);
    ASSERT_EQ(tail.size(), 2u);
    EXPECT_NE(tail[0].find("/safe/" + FileName(hatchet) + ": Is a directory"), std::string::npos) << tail[0];
    EXPECT_NE(tail[1].find("/safe/" + FileName(wood) + ": File too large"), std::string::npos) << tail[1];
    for (const auto& line : tail)
        EXPECT_EQ(line.rfind("[Lockbury][warning] (Private/Kits Lockbury::MakeKit) could not write ", 0), 0u) << line;

    // Once the way is free, a repeated makekit replaces each file whole, longer old ones too.
    fs::remove_all(folder / FileName(hatchet));
    Write(folder / FileName(wood), std::vector<std::uint8_t>(30000, 0xEE));
    server.ClearLog();
    EXPECT_EQ(admin.Console("makekit safe"), Strings{"Kit created"});
    EXPECT_EQ(Files("safe"), kitFiles);
    EXPECT_EQ(Content(folder / FileName(hatchet)), hatchet.bytes);
    EXPECT_EQ(Content(folder / FileName(wood)), wood.bytes);

    // Temporary files a crash left are not given, not even one that holds a whole item, and a
    // kit of nothing else is no kit.
    const std::vector<std::uint8_t> cut(wood.bytes.begin(), wood.bytes.begin() + 100);
    Write(folder / ("." + FileName(wood) + ".tmp"), cut);
    const auto shirt = admin.PicksUp(Item("PrimalItemArmor_ClothShirt"));
    Write(folder / ("." + FileName(shirt) + ".tmp"), shirt.bytes);
    auto& other = Join("other");
    EXPECT_TRUE(other.Console("getkit safe").empty());
    EXPECT_EQ(other.Classes(), (Strings{"PrimalItemResource_Wood", "PrimalItem_WeaponStoneHatchet"}));
    fs::create_directories(KitsDir() / "crashed");
    Write(KitsDir() / "crashed" / ("." + FileName(shirt) + ".tmp"), shirt.bytes);
    EXPECT_EQ(other.Console("getkit crashed"), Strings{"Kit not found"});
    EXPECT_EQ(other->Inventory().size(), 2u);
    EXPECT_TRUE(server.LogLines().empty());
}

#endif

TEST_F(Kits, ItemFileNamesKeepOrdinaryObjectNamesAndDisarmHostileOnes) {
    // Object names come from the game, not from the simulated server's fixed classes, so this
    // drives the file naming directly and then writes every file into one folder.
    const FItemNetID id{123, 456};
    EXPECT_EQ(Lockbury::Kits::KitFileName(id, "PrimalItem_WeaponStoneHatchet_C_17"),
              "_123_456PrimalItem_WeaponStoneHatchet_C_17.bin");
    const std::string safe = "\xD1\x81\xD0\xB5\xD0\xB9\xD1\x84";  // сейф
    EXPECT_EQ(Lockbury::Kits::KitFileName(id, safe), "_123_456" + safe + ".bin");
    std::string longCyrillic = "x";  // two-byte characters at odd offsets, so a plain cut splits one
    for (int i = 0; i < 200; ++i) longCyrillic += "\xD0\xB9";
    const Strings hostile{"/../../escape",
                          "..\\..\\escape",
                          "a/b",
                          "C:\\Windows",
                          "<>:\"|?*",
                          "tab\there",
                          std::string("nul\0byte", 8),
                          "..",
                          "CON",
                          std::string(300, 'x'),
                          longCyrillic};
    const fs::path folder = server.Dir() / "names" / "kit";
    fs::create_directories(folder);
    std::set<std::string> written;
    for (const auto& object : hostile) {
        SCOPED_TRACE(object);
        const std::string file = Lockbury::Kits::KitFileName(id, object);
        EXPECT_TRUE(Lockbury::Kits::IsPortableFileName(file)) << file;
        EXPECT_LE(file.size(), 250u);  // room left for the temporary name within 255 bytes
        EXPECT_EQ(file.rfind("_123_456", 0), 0u);
        EXPECT_EQ(file.substr(file.size() - 4), ".bin");
        EXPECT_EQ(Utf::WideToUtf8(Utf::Utf8ToWide(file)), file);  // cut between characters, never inside one
        EXPECT_FALSE(Lockbury::Kits::WriteWholeFileAtomically(folder / Lockbury::Utf8Path(file), {1, 2, 3}));
        written.insert(file);
    }
    std::set<std::string> expected{"kit"}, onDisk;
    for (const auto& file : written) expected.insert("kit/" + file);
    for (const auto& entry : fs::recursive_directory_iterator(server.Dir() / "names"))
        onDisk.insert(Utf8(fs::relative(entry.path(), server.Dir() / "names")));
    EXPECT_EQ(onDisk, expected);  // each one a file right inside the kit folder
}

// Windows compares file names ignoring case, so a kit's name does too, on both systems: "Base" and
// "BASE" are one kit, made into and given from one folder, for Latin, Greek and Cyrillic letters.
TEST_F(Kits, NamesThatDifferOnlyInCaseAreOneKit) {
    using Lockbury::Kits::FileNameCaseKey;
    EXPECT_EQ(FileNameCaseKey("Base_9"), FileNameCaseKey("bASE_9"));
    EXPECT_EQ(FileNameCaseKey("Tr\xC3\xA9sor\xC3\xBF"), FileNameCaseKey("TR\xC3\x89SOR\xC5\xB8"));  // Trésorÿ, TRÉSORŸ
    EXPECT_EQ(FileNameCaseKey("\xC5\x82\xC3\xB3\xC5\xBA"), FileNameCaseKey("\xC5\x81\xC3\x93\xC5\xB9"));  // łóź, ŁÓŹ
    EXPECT_EQ(FileNameCaseKey("\xCF\x83\xCF\x82"), FileNameCaseKey("\xCE\xA3\xCE\xA3"));  // σς, ΣΣ
    EXPECT_EQ(FileNameCaseKey("\xD1\x81\xD0\xB5\xD0\xB9\xD1\x84\xD1\x91"),
              FileNameCaseKey("\xD0\xA1\xD0\x95\xD0\x99\xD0\xA4\xD0\x81"));  // сейфё, СЕЙФЁ
    // Different names stay different: a dotless i is no I here, digits and signs have no case.
    EXPECT_NE(FileNameCaseKey("\xC4\xB1"), FileNameCaseKey("I"));
    EXPECT_NE(FileNameCaseKey("base1"), FileNameCaseKey("base_1"));
    EXPECT_NE(FileNameCaseKey("\xC3\xB7"), FileNameCaseKey("\xC3\x97"));  // ÷ and ×

    auto& admin = Join("admin");
    admin.PicksUp(Item("PrimalItem_WeaponStoneHatchet"));
    ASSERT_EQ(admin.Console("makekit Base"), Strings{"Kit created"});
    admin.PicksUp(Item("PrimalItemArmor_ClothShirt"));
    ASSERT_EQ(admin.Console("makekit BASE"), Strings{"Kit created"});
    const std::string safe = "\xD1\x81\xD0\xB5\xD0\xB9\xD1\x84";  // сейф
    const std::string SAFE = "\xD0\xA1\xD0\x95\xD0\x99\xD0\xA4";  // СЕЙФ
    ASSERT_EQ(admin.Console("makekit " + safe), Strings{"Kit created"});
    std::set<std::string> folders;
    for (const auto& entry : fs::directory_iterator(KitsDir())) folders.insert(Utf8(entry.path().filename()));
    EXPECT_EQ(folders, (std::set<std::string>{"Base", safe}));  // the first spelling names the folder
    EXPECT_EQ(Files("Base").size(), 2u);

    auto& other = Join("other");
    EXPECT_TRUE(other.Console("getkit bAsE").empty());
    EXPECT_EQ(other.Classes(), (Strings{"PrimalItemArmor_ClothShirt", "PrimalItem_WeaponStoneHatchet"}));
    auto& third = Join("third");
    EXPECT_TRUE(third.Console("getkit " + SAFE).empty());
    EXPECT_EQ(third->Inventory().size(), 2u);
    EXPECT_TRUE(server.LogLines().empty());
}

#if !defined(_WIN32)  // two such folders cannot exist side by side on Windows
// Kits made on Linux before names ignored case keep working under their exact names; a name that
// only several of them match ignoring case is refused, naming them, and gives nothing.
TEST_F(Kits, OlderKitsWhoseNamesDifferOnlyInCaseKeepTheirExactNames) {
    auto& admin = Join("admin");
    admin.PicksUp(Item("PrimalItem_WeaponStoneHatchet"));
    ASSERT_EQ(admin.Console("makekit base"), Strings{"Kit created"});
    fs::create_directories(KitsDir() / "Base");
    const auto shirt = admin.PicksUp(Item("PrimalItemArmor_ClothShirt"));
    Write(KitsDir() / "Base" / FileName(shirt), shirt.bytes);

    auto& other = Join("other");
    EXPECT_TRUE(other.Console("getkit Base").empty());
    EXPECT_EQ(other.Classes(), Strings{"PrimalItemArmor_ClothShirt"});
    EXPECT_TRUE(other.Console("getkit base").empty());
    EXPECT_EQ(other.Classes(), (Strings{"PrimalItemArmor_ClothShirt", "PrimalItem_WeaponStoneHatchet"}));

    const auto before = other->Inventory().size();
    for (const char* line : {"getkit BASE", "makekit BASE"}) {
        SCOPED_TRACE(line);
        EXPECT_EQ(other.Console(line), Strings{"Kit name BASE matches several kits that differ only in case: Base, base"});
        EXPECT_EQ(other.Shown().colour, Sim::Colours::Red());
    }
    EXPECT_EQ(other->Inventory().size(), before);
    EXPECT_FALSE(fs::exists(KitsDir() / "BASE"));
    EXPECT_EQ(Files("Base").size(), 1u);
    EXPECT_EQ(Files("base").size(), 1u);
}
#endif

// A kit name in UTF-8 is the folder of that very name on both systems (not its bytes read in a
// Windows code page), and the kit comes back from it.
TEST_F(Kits, ANonAsciiKitNameIsTheFolderOfThatName) {
    const std::string name = "Tr\xC3\xA9sor_\xD1\x81\xD0\xB5\xD0\xB9\xD1\x84_\xF0\x9F\x98\x80";  // Trésor_сейф_😀
    auto& admin = Join("admin");
    const auto hatchet = admin.PicksUp(Item("PrimalItem_WeaponStoneHatchet"));
    ASSERT_EQ(admin.Console("makekit " + name), Strings{"Kit created"});
    std::vector<std::string> folders;
    for (const auto& entry : fs::directory_iterator(KitsDir())) folders.push_back(Utf8(entry.path().filename()));
    EXPECT_EQ(folders, Strings{name});
    const fs::path file = KitsDir() / Lockbury::Utf8Path(name) / FileName(hatchet);
    EXPECT_EQ(Content(file), hatchet.bytes);

    auto& other = Join("other");
    EXPECT_TRUE(other.Console("getkit " + name).empty());
    EXPECT_TRUE(other.Holds(Item("PrimalItem_WeaponStoneHatchet")));
    EXPECT_EQ(other.Console("getkit Tr\xC3\xA9sor"), Strings{});  // another name, no kit: silent as before
    EXPECT_EQ(other->Inventory().size(), 1u);
    EXPECT_TRUE(server.LogLines().empty());
}

}  // namespace
