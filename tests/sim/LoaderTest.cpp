// The loader plays the Windows loader: attach after loading, detach before unloading, and the
// library really leaves the process, so a reload starts with fresh process-wide objects. On
// Windows the system loader does it (LoadLibraryW, FreeLibrary): the same tests run there.
#include <gtest/gtest.h>

#include <thread>

#include "Sim/Loader/PluginLibrary.h"
#include "support/PluginServer.h"

namespace {

bool InProcess(const char* path) { return Sim::PluginLibrary::InProcess(path); }

TEST(Loader, AttachesDetachesAndReallyUnloads) {
    TestSupport::PluginServer server;
    Sim::Player& ann = server.Join("Ann", 1);
    ASSERT_FALSE(InProcess(LOADER_PROBE_PATH));

    server.LoadPlugin(LOADER_PROBE_PATH);
    EXPECT_TRUE(server.PluginLoaded());
    EXPECT_TRUE(InProcess(LOADER_PROBE_PATH));
    EXPECT_EQ(server.ChatCommands(), (std::vector<std::string>{"/probe"}));

    server.ReloadPlugin();
    // A thread started and ended while the library is loaded is no attach or detach of the
    // process (Windows tells the entry point of it with reasons 2 and 3).
    std::thread([] {}).join();
    EXPECT_TRUE(server.Chat(ann, "/probe"));
    // The count lives in the library: a second attach in a fresh copy counts one again.
    EXPECT_EQ(TestSupport::Texts(ann), (std::vector<std::string>{"attached 1 times"}));

    server.UnloadPlugin();
    EXPECT_FALSE(server.PluginLoaded());
    EXPECT_TRUE(server.ChatCommands().empty());
    EXPECT_FALSE(InProcess(LOADER_PROBE_PATH));
    EXPECT_FALSE(server.Chat(ann, "/probe"));
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

TEST(Loader, AMissingLibraryOrEntryPointIsAClearError) {
    TestSupport::PluginServer server;
    try {
        server.LoadPlugin(server.Dir() / "nothing-here.so");
        FAIL();
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("nothing-here.so"), std::string::npos) << e.what();
    }
    EXPECT_FALSE(server.PluginLoaded());
    EXPECT_THROW(server.UnloadPlugin(), std::logic_error);

    // An entry point that refuses to attach fails the load, and the library leaves again.
    EXPECT_THROW(server.LoadPlugin(LOADER_PROBE_REFUSE_PATH), std::runtime_error);
    EXPECT_FALSE(server.PluginLoaded());
    EXPECT_FALSE(InProcess(LOADER_PROBE_REFUSE_PATH));
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
    EXPECT_TRUE(server.Hooks().empty());
}

}  // namespace
