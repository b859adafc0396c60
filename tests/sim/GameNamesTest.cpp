// Every game name the plugin reaches is registered by the simulated game with exactly the
// signature the plugin calls it with, and the game registers no name the table does not have.
#include <gtest/gtest.h>

#include <algorithm>

#include "Host/GameNames.h"
#include "HostRuntime/Registry.h"
#include "support/PluginServer.h"

namespace {

TEST(GameNames, EveryNameResolvesWithItsSignature) {
    TestSupport::PluginServer server;
    for (const GameNames::Entry& entry : GameNames::All()) {
        SCOPED_TRACE(entry.name);
        auto info = HostRuntime::Describe(entry.name);
        ASSERT_TRUE(info.has_value()) << entry.name << " is not registered";
        EXPECT_EQ(static_cast<int>(info->kind), static_cast<int>(entry.kind));
        EXPECT_EQ(info->signature, entry.signature)
            << HostRuntime::Demangle(info->signature.c_str()) << " vs " << HostRuntime::Demangle(entry.signature);
    }
}

TEST(GameNames, TheRegistryHoldsTheNamesOfTheTableAndNoOthers) {
    TestSupport::PluginServer server;
    std::vector<std::string> listed;
    for (const GameNames::Entry& entry : GameNames::All()) listed.emplace_back(entry.name);
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(HostRuntime::Names(), listed);
}

TEST(GameNames, TheGameLeavesTheRegistryWithTheServerButTheAllocatorStays) {
    { TestSupport::PluginServer server; }
    EXPECT_FALSE(HostRuntime::Describe("UPrimalItem.GetItemBytes").has_value());
    EXPECT_TRUE(HostRuntime::Describe("FMemory.Malloc").has_value());
    // A second server in the same process registers everything again.
    TestSupport::PluginServer again;
    EXPECT_TRUE(HostRuntime::Describe("UPrimalItem.GetItemBytes").has_value());
}

}  // namespace
