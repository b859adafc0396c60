// Loading and unloading the real plugin in the simulated server: what is registered, what is
// logged, and that a reload starts from nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <regex>

#include "HostRuntime/HostState.h"
#include "support/ItemSpecs.h"
#include "support/PluginServer.h"
#include "support/TestConfig.h"

namespace {

using TestSupport::Spec;

using json = nlohmann::ordered_json;
using Strings = std::vector<std::string>;
using TestSupport::Texts;

const Strings kConsole = {"makekit", "getkit", "dumps", "dumpi", "vaults", "vaultitems", "vaultlog", "vaulttake"};
const Strings kHook = {"APrimalCharacter.TakeDamage"};

Strings ErrorLines(const Sim::Server& server) {
    Strings errors;
    for (const auto& line : server.LogLines())
        if (line.find("[error]") != std::string::npos) errors.push_back(line);
    return errors;
}

class PluginLifecycle : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_TRUE(HostRuntime::EscapedErrors().empty()); }
    TestSupport::ScratchDatabase db;
    TestSupport::PluginServer server;
};

TEST_F(PluginLifecycle, WithoutConfigFileOnlyOneErrorLineAndNothingRegistered) {
    server.Load();
    ASSERT_EQ(server.LogLines().size(), 1u);
    EXPECT_TRUE(std::regex_match(server.LogLines()[0],
                                 std::regex(R"(\d\d/\d\d/\d\d \d\d:\d\d \[Lockbury\]\[error\] Can't open config.json)")))
        << server.LogLines()[0];
    EXPECT_TRUE(server.ChatCommands().empty());
    EXPECT_TRUE(server.ConsoleCommands().empty());
    EXPECT_TRUE(server.Hooks().empty());

    // Damage is not recorded, and unloading an inert plugin neither fails nor logs.
    auto& alice = server.Join("alice", 1);
    server.Damage(&alice, nullptr);
    EXPECT_FALSE(server.Console(alice, "makekit starter"));
    server.UnloadPlugin();
    EXPECT_EQ(server.LogLines().size(), 1u);
}

TEST_F(PluginLifecycle, FullConfigRegistersEverythingInOrderAndLogsNothing) {
    server.WriteConfig(TestSupport::DefaultConfig(db.Params()));
    server.Load();
    EXPECT_EQ(server.Hooks(), kHook);
    EXPECT_EQ(server.ConsoleCommands(), kConsole);
    EXPECT_EQ(server.RconCommands(), (Strings{"vaults", "vaultitems", "vaultlog"}));
    EXPECT_EQ(server.ChatCommands(), (Strings{"/savevault", "/loadvault", "/checkcd", "/listvault"}));
    EXPECT_TRUE(server.LogLines().empty()) << server.LogLines()[0];
}

TEST_F(PluginLifecycle, MissingCheckcdStopsTheRegistrationsThere) {
    auto config = TestSupport::DefaultConfig(db.Params());
    config["commands"].erase("checkcd");
    server.WriteConfig(config);
    server.Load();
    EXPECT_EQ(server.Hooks(), kHook);
    EXPECT_EQ(server.ConsoleCommands(), kConsole);
    EXPECT_EQ(server.ChatCommands(), (Strings{"/savevault", "/loadvault"}));
    const Strings errors = ErrorLines(server);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find("[Lockbury][error] [json.exception.type_error.306] cannot use value() with null"),
              std::string::npos)
        << errors[0];

    // Unload still removes everything after the failing lookups, without a word.
    server.ClearLog();
    server.UnloadPlugin();
    EXPECT_TRUE(server.Hooks().empty());
    EXPECT_TRUE(server.ConsoleCommands().empty());
    EXPECT_TRUE(server.RconCommands().empty());
    EXPECT_TRUE(server.ChatCommands().empty());
}

TEST_F(PluginLifecycle, EntryWithoutCommandRegistersUnderDefaultText) {
    auto config = TestSupport::DefaultConfig(db.Params());
    config["commands"]["listVault"] = json::object();
    server.WriteConfig(config);
    server.Load();
    EXPECT_EQ(server.ChatCommands().back(), "no command found");
    EXPECT_TRUE(ErrorLines(server).empty());
}

TEST_F(PluginLifecycle, LoadErrorsAreOneLineEach) {
    struct Case {
        const char* text;
        const char* logged;
    };
    const Case cases[] = {
        {"{\"Database\": ", "[json.exception.parse_error.101]"},
        {"[1, 2]", "[json.exception.type_error.305]"},
        {"{\"commands\": {}}", "[json.exception.type_error.306] cannot use value() with null"},
        {"{\"Database\": {}, \"mysqlPort\": \"3306\"}", "[json.exception.type_error.302] type must be number"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        server.WriteConfigText(c.text);
        server.ClearLog();
        server.Load();
        // The error that stops the load is one line; the other lines name keys the check found.
        int stopping = 0;
        for (const auto& line : server.LogLines()) {
            if (line.find(std::string("[Lockbury][error] ") + c.logged) != std::string::npos) {
                ++stopping;
            } else {
                EXPECT_NE(line.find("[Lockbury][error] config.json: "), std::string::npos) << line;
            }
        }
        EXPECT_EQ(stopping, 1);
        EXPECT_TRUE(server.Hooks().empty());
        server.UnloadPlugin();
    }
}

TEST_F(PluginLifecycle, BadCommandTextStopsAtThatCommand) {
    auto config = TestSupport::DefaultConfig(db.Params());
    config["commands"]["loadVault"]["command"] = 12;
    server.WriteConfig(config);
    server.Load();
    EXPECT_EQ(server.ChatCommands(), (Strings{"/savevault"}));
    ASSERT_EQ(ErrorLines(server).size(), 1u);
    EXPECT_NE(ErrorLines(server)[0].find("type_error.302] type must be string, but is number"), std::string::npos);
}

TEST_F(PluginLifecycle, PortInsideDatabaseIsIgnored) {
    auto config = TestSupport::DefaultConfig(db.Params());
    config["Database"]["mysqlPort"] = config["mysqlPort"];
    config.erase("mysqlPort");
    config["Database"]["mysqlHost"] = "127.0.0.1";
    server.WriteConfig(config);
    server.Load();
    // The store tried the default port, found no server there, and said so; loading went on.
    const auto& lines = server.LogLines();
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::string& line) {
        return line.find("Failed to open connection") != std::string::npos;
    }));
    EXPECT_EQ(server.ChatCommands().size(), 4u);
}

TEST_F(PluginLifecycle, ReloadStartsFresh) {
    auto config = TestSupport::DefaultConfig(db.Params());
    config["commandCoolDown"] = 600;
    server.WriteConfig(config);
    server.Load();
    auto& alice = server.Join("alice", 76561198000000001ULL);
    server.Damage(&alice, nullptr);
    server.Give(alice, Spec("PrimalItem_WeaponStoneHatchet"));
    ASSERT_TRUE(server.Chat(alice, "/savevault first"));
    ASSERT_TRUE(server.Chat(alice, "/checkcd"));
    EXPECT_EQ(Texts(alice).back(), "Combat cooldown: 60 seconds");

    server.UnloadPlugin();
    EXPECT_TRUE(server.Hooks().empty());
    EXPECT_TRUE(server.ChatCommands().empty());
    EXPECT_TRUE(server.ConsoleCommands().empty());
    EXPECT_FALSE(server.Chat(alice, "/checkcd"));

    server.Load();
    EXPECT_EQ(server.Hooks(), kHook);
    EXPECT_EQ(server.ChatCommands().size(), 4u);
    alice.ClearReceived();
    ASSERT_TRUE(server.Chat(alice, "/checkcd"));
    EXPECT_EQ(Texts(alice), (Strings{"Not on PVPVE Cooldown "}));
    // The command cooldown started before the reload is gone too.
    server.Give(alice, Spec("PrimalItem_WeaponStoneHatchet"));
    ASSERT_TRUE(server.Chat(alice, "/savevault second"));
    for (const auto& text : Texts(alice)) EXPECT_EQ(text.find("Wait"), std::string::npos) << text;
    EXPECT_TRUE(ErrorLines(server).empty());
}

TEST_F(PluginLifecycle, MissingPermissionsPluginCountsAsNoPermission) {
    auto config = TestSupport::DefaultConfig(db.Params());
    config["commands"]["saveVault"]["requiredPermission"] = "vault.save";
    server.WriteConfig(config);
    server.Load();
    server.SetSiblingPluginsLoaded(false, true);
    auto& alice = server.Join("alice", 5);
    server.Give(alice, Spec("PrimalItem_WeaponStoneHatchet"));
    ASSERT_TRUE(server.Chat(alice, "/savevault box"));
    EXPECT_EQ(Texts(alice), (Strings{"No permission"}));
    EXPECT_EQ(alice.Inventory().size(), 1u);
    const Strings errors = ErrorLines(server);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find("Permissions plugin is not loaded; treating as no permission"), std::string::npos)
        << errors[0];
}

TEST_F(PluginLifecycle, SampleConfigurationHasEveryKeyAndLoadsCleanly) {
    std::ifstream file(std::string(LOCKBURY_SOURCE_DIR) + "/config/config.json");
    json sample;
    file >> sample;
    const json full = TestSupport::DefaultConfig(db.Params());
    for (const auto& [key, value] : full.items()) {
        ASSERT_TRUE(sample.contains(key)) << key;
        if (!value.is_object()) continue;
        for (const auto& [inner, unused] : value.items()) {
            EXPECT_TRUE(sample[key].contains(inner)) << key << "." << inner;
        }
    }
    sample["Database"] = full["Database"];
    sample["mysqlPort"] = full["mysqlPort"];
    server.WriteConfig(sample);
    server.Load();
    EXPECT_EQ(server.ChatCommands(), (Strings{"/savevault", "/loadvault", "/checkcd", "/listvault"}));
    EXPECT_TRUE(server.LogLines().empty());
}

TEST_F(PluginLifecycle, MissingArkShopPluginCountsAsUnableToPay) {
    auto config = TestSupport::DefaultConfig(db.Params());
    config["commands"]["loadVault"]["requireNearTransmiter"] = true;
    config["nearTransmiterPoints"] = 50;
    server.WriteConfig(config);
    server.Load();
    auto& alice = server.Join("alice", 6);
    server.Place("TekTransmitter", alice.Location());
    server.Give(alice, Spec("PrimalItem_WeaponStoneHatchet"));
    ASSERT_TRUE(server.Chat(alice, "/savevault box"));
    ASSERT_TRUE(alice.Inventory().empty());
    server.SetSiblingPluginsLoaded(true, false);
    alice.ClearReceived();
    ASSERT_TRUE(server.Chat(alice, "/loadvault box"));
    EXPECT_EQ(Texts(alice), (Strings{"Not enough points"}));
    EXPECT_TRUE(alice.Inventory().empty());
    const Strings errors = ErrorLines(server);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find("(Private/SiblingCalls SpendPoints) ArkShop plugin is not loaded"), std::string::npos)
        << errors[0];
}

TEST(PluginLibrary, ExportsOnlyWhatTheFrameworkCalls) {
    const std::string command = std::string("nm -D --defined-only ") + LOCKBURY_PLUGIN_PATH;
    std::FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    Strings symbols;
    char line[4096];
    while (std::fgets(line, sizeof line, pipe)) {
        std::string text(line);
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
        symbols.push_back(text.substr(text.rfind(' ') + 1));
    }
    ASSERT_EQ(pclose(pipe), 0);
    EXPECT_EQ(symbols, (Strings{"Plugin_Init", "Plugin_Unload"}));
}

}  // namespace

namespace {

// A decay that would have the event delete every vault at its next run (or a second decay key
// that silently replaces a good one) stops the load before the store is made: the event and
// the rows of every player stay as they are.
TEST_F(PluginLifecycle, ADecayThatWouldDeleteEveryVaultStopsTheLoadAndLeavesTheEventAlone) {
    server.WriteConfig(TestSupport::DefaultConfig(db.Params()));
    server.Load();  // a good load: table and event with 60 minutes
    server.UnloadPlugin();
    db.Exec("INSERT INTO u_vault (steamid, vaultname, itemname, dtinsert) VALUES (1, 'v', 'x', UNIX_TIMESTAMP())");
    const std::string event =
        "SELECT EVENT_DEFINITION FROM information_schema.EVENTS WHERE EVENT_SCHEMA = DATABASE() AND EVENT_NAME = "
        "'Vault_Decay'";
    const std::string before = db.Scalar(event);
    ASSERT_NE(before.find("(60 * 60)"), std::string::npos);

    const std::string good = TestSupport::DefaultConfig(db.Params()).dump();
    for (const char* decay : {"-1", "0", "1e20", "1e30", "\"60\"", "null"}) {
        SCOPED_TRACE(decay);
        auto config = json::parse(good);
        config["decay"] = json::parse(decay);
        server.WriteConfig(config);
        server.ClearLog();
        server.Load();
        EXPECT_TRUE(server.Hooks().empty());
        EXPECT_NE(ErrorLines(server).at(0).find("config.json: decay: must be a number of minutes from 1 to 5256000"),
                  std::string::npos)
            << ErrorLines(server)[0];
        server.UnloadPlugin();
    }
    server.WriteConfigText("{\"decay\": 60, " + good.substr(1, good.size() - 2) + ", \"decay\": -1}");
    server.ClearLog();
    server.Load();
    EXPECT_TRUE(server.Hooks().empty());
    EXPECT_NE(ErrorLines(server).at(0).find("config.json: decay: given more than once; the plugin does not load"),
              std::string::npos)
        << ErrorLines(server)[0];
    server.UnloadPlugin();

    EXPECT_EQ(db.Scalar(event), before);
    EXPECT_EQ(db.Scalar("SELECT COUNT(*) FROM u_vault"), "1");
}

// Files that would crash the server (nested a hundred thousand deep) or slow every command (tens
// of megabytes of lists) are refused at load with a line that says why.
TEST_F(PluginLifecycle, AConfigurationTooDeepOrTooLargeIsRefusedWithoutACrash) {
    const struct {
        std::string text;
        const char* said;
    } cases[] = {
        {"{\"blocked\": " + std::string(100000, '[') + std::string(100000, ']') + "}",
         "config.json: blocked: nested deeper than 16 levels; the plugin does not load"},
        {"{\"x\": " + std::string(100000, '[') + "}", "config.json: x: nested deeper than 16 levels"},
        {"{\"blocked\": [" + std::string(2 << 20, ' ') + "]}", "config.json: the file is larger than 1048576 bytes"},
    };
    for (const auto& c : cases) {
        server.WriteConfigText(c.text);
        server.ClearLog();
        server.Load();
        ASSERT_EQ(ErrorLines(server).size(), 1u);
        EXPECT_NE(ErrorLines(server)[0].find(c.said), std::string::npos) << ErrorLines(server)[0];
        EXPECT_TRUE(server.Hooks().empty());
        server.UnloadPlugin();
    }
}

}  // namespace
