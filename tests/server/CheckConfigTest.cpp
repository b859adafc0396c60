// lockbury-server --check-config on a good folder and on broken ones.
#include <gtest/gtest.h>

#include "ServerFolder.h"
#include "ServerProcess.h"
#include "support/TestConfig.h"
#include "support/TestDatabase.h"

namespace ServerTests {
namespace {

std::string ConfigLine(const ServerFolder& folder) {
    return "config: " + (folder.PluginDir() / "config.json").string() + "\n";
}

const std::string kRegistered =
    "hook: APrimalCharacter.TakeDamage\n"
    "console commands: makekit, getkit, dumps, dumpi\n"
    "chat command saveVault: \"/savevault\"\n"
    "chat command loadVault: \"/loadvault\"\n"
    "chat command checkcd: \"/checkcd\"\n"
    "chat command listVault: \"/listvault\"\n";

TEST(CheckConfig, AGoodFolderReportsItsRegistrationsAndTheDatabase) {
    TestSupport::ScratchDatabase db;
    ServerFolder folder;
    folder.WriteConfig(TestSupport::DefaultConfig(db.Params()));
    auto run = ServerProcess::Run({"--check-config", folder.Dir().string()});
    const auto& p = db.Params();
    EXPECT_EQ(run.output, ConfigLine(folder) + "load: ok\n" + kRegistered +
                              "store time-outs: statement 10 s, reconnect 3 s, no new connection for 30 s after a "
                              "failed one\n"
                              "database: answered (" + p.user + "@" +
                              p.host + ":" + std::to_string(p.port) + "/" + p.database +
                              ", table u_vault holds 0 rows, event Vault_Decay present)\n");
    EXPECT_EQ(run.status, 0);
}

TEST(CheckConfig, AMissingConfigurationFailsWithTheLoadError) {
    ServerFolder folder;
    auto run = ServerProcess::Run({"--check-config", folder.Dir().string()});
    EXPECT_EQ(WithoutLogTimes(run.output), ConfigLine(folder) +
                                               "load: FAILED\n"
                                               "  [log] [Lockbury][error] Can't open config.json\n"
                                               "hook: none\n"
                                               "console commands: none\n"
                                               "chat command saveVault: not registered\n"
                                               "chat command loadVault: not registered\n"
                                               "chat command checkcd: not registered\n"
                                               "chat command listVault: not registered\n"
                                               "database: not checked: config.json cannot be opened\n");
    EXPECT_EQ(run.status, 1);
}

TEST(CheckConfig, AMissingChatCommandEntryStopsTheRegistrationsThere) {
    TestSupport::ScratchDatabase db;
    ServerFolder folder;
    auto config = TestSupport::DefaultConfig(db.Params());
    config["commands"].erase("checkcd");
    folder.WriteConfig(config);
    auto run = ServerProcess::Run({"--check-config", folder.Dir().string()});
    std::string out = run.output;
    EXPECT_NE(out.find("load: FAILED\n  [log] "), std::string::npos) << out;
    EXPECT_NE(out.find("[Lockbury][error] [json.exception.type_error.306] cannot use value() with null\n"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("chat command loadVault: \"/loadvault\"\nchat command checkcd: not registered\n"
                       "chat command listVault: not registered\n"),
              std::string::npos)
        << out;
    EXPECT_EQ(run.status, 1);
}

TEST(CheckConfig, AWrongPasswordLoadsButTheDatabaseDoesNotAnswer) {
    TestSupport::ScratchDatabase db;
    ServerFolder folder;
    auto config = TestSupport::DefaultConfig(db.Params());
    config["Database"]["mysqlPass"] = "not the password";
    folder.WriteConfig(config);
    auto run = ServerProcess::Run({"--check-config", folder.Dir().string()});
    std::string out = run.output;
    EXPECT_NE(out.find("load: completed with errors\n"), std::string::npos) << out;
    EXPECT_NE(out.find("[Lockbury][critical] Failed to open connection! Check user/pass and port"), std::string::npos)
        << out;
    EXPECT_NE(out.find(kRegistered), std::string::npos) << out;
    EXPECT_NE(out.find("database: did not answer (" + db.Params().user + "@"), std::string::npos) << out;
    EXPECT_NE(out.find("error 1045: Access denied"), std::string::npos) << out;
    EXPECT_EQ(run.status, 1);
}

// A time-out of 0 would let a statement wait for ever: the load refuses it and says which key.
TEST(CheckConfig, AStoreTimeOutBelowOneSecondFailsTheLoad) {
    TestSupport::ScratchDatabase db;
    ServerFolder folder;
    auto config = TestSupport::DefaultConfig(db.Params());
    config["queryTimeout"] = 0;
    folder.WriteConfig(config);
    auto run = ServerProcess::Run({"--check-config", folder.Dir().string()});
    EXPECT_NE(run.output.find("load: FAILED\n  [log] "), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("[Lockbury][error] config.json: queryTimeout: must be a whole number from 1 to 3600, "
                              "not 0; the plugin does not load\n"),
              std::string::npos)
        << run.output;
    EXPECT_EQ(run.status, 1);
}

TEST(CheckConfig, TextThatIsNotJsonReportsTheParseError) {
    ServerFolder folder;
    folder.WriteConfigText("{\"Database\": {,}}");
    auto run = ServerProcess::Run({"--check-config", folder.Dir().string()});
    EXPECT_NE(run.output.find("load: FAILED\n  [log] "), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("[json.exception.parse_error.101]"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("database: not checked: [json.exception.parse_error.101]"), std::string::npos)
        << run.output;
    EXPECT_EQ(run.status, 1);
}

}  // namespace
}  // namespace ServerTests
