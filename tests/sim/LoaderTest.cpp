// The loader plays the framework: Plugin_Init once the library is loaded, Plugin_Unload before it
// is freed, and the library really leaves the process, so a reload starts with fresh process-wide
// objects. At the server's start the plugins load before the world and the game mode exist, in
// the order of their folders; a reload finds both. On Windows LoadLibraryW and FreeLibrary do the
// loading: the same tests run there.
#include <gtest/gtest.h>

#include <thread>

#include "Sim/Loader/PluginLibrary.h"
#include "support/PluginServer.h"

namespace {

using Strings = std::vector<std::string>;

bool InProcess(const char* path) { return Sim::PluginLibrary::InProcess(path); }

// What the probe tells at /probe: its inits, what existed at its init, its ticks and timer runs.
std::string Probe(Sim::Server& server, Sim::Player& player) {
    player.ClearReceived();
    if (!server.Chat(player, "/probe")) return "no /probe command";
    const auto texts = TestSupport::Texts(player);
    return texts.size() == 1 ? texts[0] : "not one answer";
}

TEST(Loader, CallsInitAndUnloadAndReallyUnloads) {
    TestSupport::PluginServer server;
    Sim::Player& ann = server.Join("Ann", 1);
    ASSERT_FALSE(InProcess(LOADER_PROBE_PATH));

    server.LoadPlugin(LOADER_PROBE_PATH);
    EXPECT_TRUE(server.PluginLoaded());
    EXPECT_TRUE(InProcess(LOADER_PROBE_PATH));
    EXPECT_EQ(server.ChatCommands(), Strings{"/probe"});
    EXPECT_EQ(server.TimerCallbacks(), Strings{"probe"});
    EXPECT_EQ(server.TickCallbacks(), Strings{"probe"});

    server.ReloadPlugin();
    // A thread started and ended while the library is loaded changes nothing (Windows tells
    // DllMain of it; the framework's entry points are not called).
    std::thread([] {}).join();
    // The count lives in the library: an init in a fresh copy counts one again.
    EXPECT_EQ(Probe(server, ann).substr(0, 7), "init 1:");

    server.UnloadPlugin();
    EXPECT_FALSE(server.PluginLoaded());
    EXPECT_TRUE(server.ChatCommands().empty());
    EXPECT_TRUE(server.TimerCallbacks().empty());
    EXPECT_TRUE(server.TickCallbacks().empty());
    EXPECT_FALSE(InProcess(LOADER_PROBE_PATH));
    EXPECT_FALSE(server.Chat(ann, "/probe"));
}

// The real load order: at the start the world and the game mode are null during Plugin_Init, and
// of the sibling plugins only those whose folders come first are there; a reload finds them all.
// The framework's timer callbacks run once a second of the clock (the game's first second before
// anyone can join), its tick callbacks once a frame with the frame's seconds.
TEST(Loader, AtTheStartThePluginLoadsBeforeTheWorldAndAReloadFindsIt) {
    TestSupport::PluginServer server;  // its clock stands still: only shifts and waits move it
    EXPECT_EQ(ArkApi::GetApiUtils().GetWorld(), nullptr);
    server.LoadPlugin(LOADER_PROBE_PATH);
    ASSERT_NE(ArkApi::GetApiUtils().GetWorld(), nullptr);
    ASSERT_NE(ArkApi::GetApiUtils().GetShooterGameMode(), nullptr);
    EXPECT_EQ(static_cast<void*>(ArkApi::GetApiUtils().GetWorld()->AuthorityGameModeField()),
              static_cast<void*>(ArkApi::GetApiUtils().GetShooterGameMode()));
    EXPECT_TRUE(server.SiblingPluginLoaded("Permissions")) << "loaded after the probe, in folder order";

    Sim::Player& ann = server.Join("Ann", 1);
    // Frames: the start's, the join's and the chat's; the timer ran for the game's first second.
    EXPECT_EQ(Probe(server, ann),
              "init 1: world none, game mode none, ArkShop set, Permissions none; ticks 3 (0 s), timers 1");
    server.ShiftClock(3);
    EXPECT_EQ(Probe(server, ann),
              "init 1: world none, game mode none, ArkShop set, Permissions none; ticks 4 (3 s), timers 4");
    server.ShiftClock(100000);  // a jump of the clock is not a day of timer seconds
    server.Wait(2);
    EXPECT_EQ(Probe(server, ann),
              "init 1: world none, game mode none, ArkShop set, Permissions none; ticks 6 (100005 s), timers 64");

    server.ReloadPlugin();
    EXPECT_EQ(Probe(server, ann),
              "init 1: world set, game mode set, ArkShop set, Permissions set; ticks 1 (0 s), timers 0");
    server.Wait(1);
    EXPECT_EQ(Probe(server, ann),
              "init 1: world set, game mode set, ArkShop set, Permissions set; ticks 3 (1 s), timers 1");
    server.ShiftClock(-50);  // a clock set back runs no timer until it passes the last run again
    server.Wait(49);
    EXPECT_EQ(Probe(server, ann),
              "init 1: world set, game mode set, ArkShop set, Permissions set; ticks 5 (1 s), timers 1");
}

#if !defined(_WIN32)  // GNU unique symbols are an ELF matter
TEST(Loader, ALibraryKeptByAGnuUniqueSymbolIsReported) {
    Sim::PluginLibrary library(LOADER_PROBE_UNIQUE_PATH);
    try {
        library.Unload();
        FAIL() << "unloading a library with a GNU unique symbol did not report it";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("still loaded"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("LoaderProbeUnique"), std::string::npos) << e.what();
    }
    EXPECT_FALSE(library.Loaded());
}
#endif

TEST(Loader, AMissingLibraryIsAClearErrorAndOneWithoutPluginInitLoadsWithAWarning) {
    TestSupport::PluginServer server;
    try {
        server.LoadPlugin(server.Dir() / "nothing-here.so");
        FAIL();
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("nothing-here.so"), std::string::npos) << e.what();
    }
    EXPECT_FALSE(server.PluginLoaded());
    EXPECT_EQ(ArkApi::GetApiUtils().GetWorld(), nullptr) << "a start whose plugin did not load has not started";
    EXPECT_THROW(server.UnloadPlugin(), std::logic_error);

    // The framework calls Plugin_Init only when the library has one.
    server.LoadPlugin(LOADER_PROBE_NO_INIT_PATH);
    EXPECT_TRUE(server.PluginLoaded());
    EXPECT_TRUE(InProcess(LOADER_PROBE_NO_INIT_PATH));
    ASSERT_EQ(server.LogLines().size(), 1u);
    EXPECT_NE(server.LogLines()[0].find("[API][warning] Plugin LoaderProbeNoInit has no Plugin_Init"), std::string::npos)
        << server.LogLines()[0];
    server.UnloadPlugin();
    EXPECT_FALSE(InProcess(LOADER_PROBE_NO_INIT_PATH));
    EXPECT_TRUE(server.EscapedErrors().empty());
}

TEST(Loader, TheRealPluginLeavesTheProcessOnUnload) {
    TestSupport::PluginServer server;
    server.Load();
    EXPECT_TRUE(InProcess(LOCKBURY_PLUGIN_PATH));
    server.ReloadPlugin();
    server.UnloadPlugin();
    EXPECT_FALSE(InProcess(LOCKBURY_PLUGIN_PATH));
    EXPECT_TRUE(server.ChatCommands().empty());
    EXPECT_TRUE(server.ConsoleCommands().empty());
    EXPECT_TRUE(server.RconCommands().empty());
    EXPECT_TRUE(server.Hooks().empty());
    EXPECT_TRUE(server.TickCallbacks().empty());
    EXPECT_TRUE(server.TimerCallbacks().empty());
}

}  // namespace
