// The name registry: clear errors for unknown names and wrong signatures, hooks that route calls
// by name to the detour and back, fields and bit fields on the right objects only.
#include <gtest/gtest.h>

#include "Host/ArkApi.h"
#include "HostRuntime/Registry.h"
#include "support/PluginServer.h"
#include "support/SiblingExports.h"

namespace {

std::string ErrorOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const ArkApi::UnresolvedName& e) {
        return e.what();
    }
    return "";
}

int Twice(int v) { return v * 2; }
int Thrice(int v) { return v * 3; }

// Entries outside the game's table, typed as a game name is: the same text with the right
// signature, a wrong one, and as a field.
constexpr ArkApi::GameFunction<int(int)> kTwice{"Test.Twice"};
constexpr ArkApi::GameFunction<float(int)> kTwiceAsFloat{"Test.Twice"};
constexpr ArkApi::GameField<int> kTwiceAsField{"Test.Twice"};

struct TestEntry {
    TestEntry() { HostRuntime::Register(kTwice, &Twice); }
    ~TestEntry() { HostRuntime::Unregister(kTwice.name); }
};

TEST(Registry, AnUnknownNameNamesTheEntry) {
    static constexpr ArkApi::GameFunction<int(int)> noSuchThing{"UPrimalItem.NoSuchThing"};
    const std::string error = ErrorOf([] { noSuchThing(1); });
    EXPECT_NE(error.find("UPrimalItem.NoSuchThing"), std::string::npos) << error;
    EXPECT_NE(error.find("int (int)"), std::string::npos) << error;

    static constexpr ArkApi::GameField<int> nothing{"UPrimalItem.Nothing"};
    const std::string field = ErrorOf([] { nothing.Of(nullptr); });
    EXPECT_NE(field.find("UPrimalItem.Nothing"), std::string::npos) << field;
}

TEST(Registry, AMismatchedSignatureNamesTheEntryAndBothSignatures) {
    TestEntry entry;
    EXPECT_EQ(kTwice(21), 42);
    const std::string error = ErrorOf([] { kTwiceAsFloat(1); });
    EXPECT_NE(error.find("Test.Twice"), std::string::npos) << error;
    EXPECT_NE(error.find("int (int)"), std::string::npos) << error;
    EXPECT_NE(error.find("float (int)"), std::string::npos) << error;
    const std::string kind = ErrorOf([] { kTwiceAsField.Of(nullptr); });
    EXPECT_NE(kind.find("is a function"), std::string::npos) << kind;
    EXPECT_THROW(HostRuntime::Register(kTwice, &Thrice), std::logic_error);
}

// A call site is remembered after its first lookup; removing the entry must not leave the
// remembered one callable, and the same call site finds a registration made again.
TEST(Registry, ARemovedEntryIsNotCalledThroughARememberedCallSite) {
    auto call = [] { return kTwice(4); };
    {
        TestEntry entry;
        EXPECT_EQ(call(), 8);
        EXPECT_EQ(call(), 8);
    }
    EXPECT_NE(ErrorOf([&] { call(); }).find("Test.Twice"), std::string::npos);
    HostRuntime::Register(kTwice, &Thrice);
    EXPECT_EQ(call(), 12);
    HostRuntime::Unregister(kTwice.name);
}

TEST(Registry, AHookReceivesCallsByNameUntilDisabled) {
    TestEntry entry;
    using Fn = int(int);
    static Fn* original = nullptr;
    Fn* detour = [](int v) { return original(v) + 1; };
    auto& hooks = ArkApi::GetHooks();
    ASSERT_TRUE(hooks.SetHook("Test.Twice", reinterpret_cast<LPVOID>(detour), &original));
    EXPECT_EQ(original, &Twice);
    EXPECT_EQ(kTwice(5), 11);
    EXPECT_EQ(HostRuntime::ActiveHooks(), (std::vector<std::string>{"Test.Twice"}));
    EXPECT_FALSE(hooks.SetHook("Test.Twice", reinterpret_cast<LPVOID>(detour), &original)) << "one detour per function";
    EXPECT_FALSE(hooks.DisableHook("Test.Twice", reinterpret_cast<LPVOID>(&Thrice)))
        << "only the detour that is set can be disabled";

    ASSERT_TRUE(hooks.DisableHook(kTwice.name, reinterpret_cast<LPVOID>(detour)));
    EXPECT_EQ(kTwice(5), 10);
    EXPECT_TRUE(HostRuntime::ActiveHooks().empty());

    using Wrong = float(int);
    Wrong* wrongOriginal = nullptr;
    Wrong* wrong = [](int) { return 0.0f; };
    const std::string error =
        ErrorOf([&] { hooks.SetHook("Test.Twice", reinterpret_cast<LPVOID>(wrong), &wrongOriginal); });
    EXPECT_NE(error.find("float (int)"), std::string::npos) << error;
    EXPECT_TRUE(HostRuntime::ActiveHooks().empty());
}

TEST(Registry, FieldsResolveOnlyOnObjectsThatHaveThem) {
    TestSupport::PluginServer server;
    Sim::Player& ann = server.Join("Ann", 1);
    Sim::ItemSpec spec;
    spec.className = "PrimalItem_WeaponStoneHatchet";
    spec.slot = 3;
    spec.engram = true;
    auto item = server.Give(ann, spec);
    EXPECT_EQ(item.handle->SlotIndexField(), 3);
    EXPECT_TRUE(item.handle->bIsEngram()());
    EXPECT_FALSE(item.handle->bIsInitialItem()());
    item.handle->SlotIndexField() = -1;
    EXPECT_EQ(ann.Inventory()[0].slot, -1) << "a field reference writes through to the game object";

    auto* controller = reinterpret_cast<UPrimalItem*>(ann.Controller());
    const std::string error = ErrorOf([&] { controller->SlotIndexField(); });
    EXPECT_NE(error.find("UPrimalItem.SlotIndex"), std::string::npos) << error;
    EXPECT_NE(error.find("ShooterPlayerController"), std::string::npos) << error;

    // A destroyed object is refused, never read.
    FItemNetID id = item.id;
    ASSERT_TRUE(ann.InventoryComponent()->RemoveItem(&id, false, false, true, false));
    EXPECT_FALSE(item.handle->IsValidLowLevelFast(true));
    EXPECT_THROW(item.handle->GetItemQuantity(), std::logic_error);
}

// The sibling plugins are libraries of their own, found as a plugin finds them: by module name and
// the real plugin's mangled export name, only while loaded; their data outlasts an unload.
TEST(Registry, SiblingExportsAreFoundByTheirMangledNamesWhileTheirPluginIsLoaded) {
    TestSupport::PluginServer server;
    server.Grant(7, "Vault.Save");
    server.SetPoints(7, 50);
    EXPECT_EQ(TestSupport::FindHasPermission(), nullptr) << "no plugin is loaded before the server starts";
    server.Start();
    const TestSupport::HasPermissionFn has = TestSupport::FindHasPermission();
    const TestSupport::SpendPointsFn spend = TestSupport::FindSpendPoints();
    ASSERT_NE(has, nullptr);
    ASSERT_NE(spend, nullptr);
    EXPECT_TRUE(has(7, FString("Vault.Save")));
    EXPECT_FALSE(has(7, FString("Vault.Load")));
    EXPECT_FALSE(has(8, FString("Vault.Save")));
    server.Revoke(7, "Vault.Save");
    EXPECT_FALSE(has(7, FString("Vault.Save")));
    server.Grant(7, "Vault.Load");

    EXPECT_FALSE(spend(60, 7));
    EXPECT_EQ(server.Points(7), 50) << "nothing is taken when the balance is short";
    EXPECT_TRUE(spend(30, 7));
    EXPECT_EQ(server.Points(7), 20);

    server.SetSiblingPluginsLoaded(false, true);
    EXPECT_FALSE(server.SiblingPluginLoaded("Permissions"));
    EXPECT_EQ(TestSupport::FindHasPermission(), nullptr) << "an unloaded plugin is not in the process";
    EXPECT_TRUE(TestSupport::FindSpendPoints()(20, 7));
    server.SetSiblingPluginsLoaded(true, false);
    EXPECT_EQ(TestSupport::FindSpendPoints(), nullptr);
    EXPECT_TRUE(TestSupport::FindHasPermission()(7, FString("Vault.Load"))) << "granted before the unload";
    server.SetPoints(7, 5);
    server.SetSiblingPluginsLoaded(true, true);
    EXPECT_TRUE(TestSupport::FindSpendPoints()(5, 7));
    EXPECT_EQ(server.Points(7), 0);
}

// A reference a plugin takes to a sibling and keeps would keep it in the process after the
// framework frees it, and a bound function would then call freed code: the simulator says so.
TEST(Registry, ASiblingKeptInTheProcessByAnotherReferenceIsReported) {
    TestSupport::PluginServer server;
    server.Start();
#if defined(_WIN32)
    HMODULE kept = LoadLibraryA("Permissions.dll");
#else
    void* kept = dlopen("Permissions.so", RTLD_LAZY | RTLD_NOLOAD);
#endif
    ASSERT_NE(kept, nullptr);
    try {
        server.SetSiblingPluginsLoaded(false, true);
        ADD_FAILURE() << "an unload that left the library in the process was not reported";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("Permissions stand-in is still loaded"), std::string::npos) << e.what();
    }
#if defined(_WIN32)
    FreeLibrary(kept);
#else
    dlclose(kept);
#endif
    EXPECT_EQ(TestSupport::FindHasPermission(), nullptr);
    EXPECT_FALSE(server.SiblingPluginLoaded("Permissions"));
}

TEST(Registry, TheAllocatorKeepsAlignmentAndContentsAcrossRealloc) {
    void* p = FMemory::Malloc(10, 64);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(p) % 64, 0u);
    std::memcpy(p, "abcdefghij", 10);
    p = FMemory::Realloc(p, 1 << 20);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(p) % 64, 0u) << "the block keeps its own alignment";
    EXPECT_EQ(std::memcmp(p, "abcdefghij", 10), 0);
    FMemory::Free(p);
    FMemory::Free(nullptr);
}

}  // namespace
