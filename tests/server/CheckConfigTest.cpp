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
    "console commands: makekit, getkit, dumps, dumpi, vaults, vaultitems, vaultlog, vaulttake\n"
    "rcon commands: vaults, vaultitems, vaultlog\n"
    "chat command saveVault: \"/savevault\"\n"
    "chat command loadVault: \"/loadvault\"\n"
    "chat command checkcd: \"/checkcd\"\n"
    "chat command listVault: \"/listvault\"\n";

TEST(CheckConfig, AGoodFolderReportsItsRegistrationsAndTheDatabase) {
    TestSupport::ScratchDatabase db;
    ServerFolder folder;
    auto config = TestSupport::DefaultConfig(db.Params());
    config["serverId"] = "island-2";
    folder.WriteConfig(config);
    auto run = ServerProcess::Run({"--check-config", folder.Dir().string()});
    const auto& p = db.Params();
    EXPECT_EQ(run.output, ConfigLine(folder) + "load: ok\n" + kRegistered +
                              "store time-outs: statement 10 s, reconnect 3 s, no new connection for 30 s after a "
                              "failed one\n"
                              "database: answered (" +
                              p.user + "@" + p.host + ":" + std::to_string(p.port) + "/" + p.database +
                              ", no table u_vault, no event Vault_Decay)\n"
                              "the load would create the table u_vault\n"
                              "move log: server name \"island-2\", records kept 30 days, pruned hourly by the event "
                              "Vault_Log_Prune, the load would create the tables u_vault_log and u_vault_log_items; "
                              "decays are recorded by the trigger u_vault_log_removed\n"
                              "store thread: off: every vault command waits for the database on the game thread\n"
                              "the load would make the event Vault_Decay: vaults decay after 60 minutes\n");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(db.Scalar("SELECT COUNT(*) FROM information_schema.TABLES WHERE TABLE_SCHEMA = DATABASE()"), "0")
        << "the check changed nothing";
}

// A database an earlier version set up: its rows are counted, and the decay of its event, of the
// first version's shape, is read back to say what the load would change.
TEST(CheckConfig, AStoreAlreadyThereIsReadBack) {
    TestSupport::ScratchDatabase db;
    db.Exec("CREATE TABLE u_vault (id INT NOT NULL AUTO_INCREMENT PRIMARY KEY, dtinsert INT)");
    db.Exec("INSERT INTO u_vault (dtinsert) VALUES (UNIX_TIMESTAMP()), (UNIX_TIMESTAMP())");
    db.Exec(
        "CREATE EVENT Vault_Decay ON SCHEDULE EVERY 5 MINUTE DO DELETE FROM u_vault WHERE "
        "(((UNIX_TIMESTAMP() - (dtinsert)) - (60 * 30)) * -1) < 0");
    ServerFolder folder;
    auto config = TestSupport::DefaultConfig(db.Params());
    config["serverId"] = "island-2";
    config["decay"] = 20;
    folder.WriteConfig(config);

    auto run = ServerProcess::Run({"--check-config", folder.Dir().string()});

    EXPECT_NE(run.output.find(", table u_vault holds 2 rows, event Vault_Decay present)\n"
                              "the load would keep the table u_vault as it is\n"),
              std::string::npos)
        << run.output;
    EXPECT_NE(run.output.find("the load would replace the event Vault_Decay: vaults decay after 20 minutes instead "
                              "of 30; rows older than 20 minutes would be deleted at its next run\n"),
              std::string::npos)
        << run.output;
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(db.Scalar("SELECT COUNT(*) FROM u_vault"), "2");
}

// Crash safety adds its two hooks and says what the journal holds; without a server id it stops.
TEST(CheckConfig, CrashSafetyIsReportedAndNeedsAServerId) {
    TestSupport::ScratchDatabase db;
    ServerFolder folder;
    auto config = TestSupport::DefaultConfig(db.Params());
    config["crashSafe"] = true;
    folder.WriteConfig(config);
    auto refused = ServerProcess::Run({"--check-config", folder.Dir().string()});
    EXPECT_NE(refused.output.find("load: FAILED\n"), std::string::npos) << refused.output;
    EXPECT_NE(refused.output.find("serverId"), std::string::npos) << refused.output;
    EXPECT_EQ(refused.status, 1);

    config["serverId"] = "island-1";
    folder.WriteConfig(config);
    auto run = ServerProcess::Run({"--check-config", folder.Dir().string()});
    EXPECT_NE(run.output.find("load: ok\nhook: APrimalCharacter.TakeDamage, AShooterGameMode.SaveWorld, "
                              "AShooterGameMode.HandleNewPlayer_Implementation\n"),
              std::string::npos)
        << run.output;
    EXPECT_NE(run.output.find("crash safety: on, server id \"island-1\": the load would create the journal tables\n"),
              std::string::npos)
        << run.output;
    EXPECT_EQ(run.status, 0);
}

// Everything wrong at once: each problem is listed with its key, the check fails, and neither
// the vaults nor the decay event of the database are touched.
TEST(CheckConfig, EveryProblemIsListedByKeyAndTheDatabaseIsLeftAlone) {
    TestSupport::ScratchDatabase db;
    db.Exec("CREATE TABLE u_vault (id INT, dtinsert INT)");
    db.Exec("INSERT INTO u_vault VALUES (1, UNIX_TIMESTAMP())");
    db.Exec(
        "CREATE EVENT Vault_Decay ON SCHEDULE EVERY 5 MINUTE DO DELETE FROM u_vault WHERE  (((UNIX_TIMESTAMP() - "
        "(dtinsert)) - (60 * 60)) * -1) < 0");
    const std::string event = "SELECT EVENT_DEFINITION FROM information_schema.EVENTS WHERE EVENT_SCHEMA = DATABASE()";
    const std::string before = db.Scalar(event);
    ServerFolder folder;
    auto config = TestSupport::DefaultConfig(db.Params());
    config["queryTimeout"] = 0;  // no time-out at all: a statement could stall the server for ever
    config["commandCoolDown"] = "30";
    config["radius"] = -5;
    config["blocked"] = "Element";
    config["commands"]["loadVault"]["requireNearTransmiter"] = "yes";
    config["commands"]["listVault"]["command"] = "/SaveVault";
    config["messages"]["points"] = "{:>2000000000}";
    config["messages"]["coolDown"] = "{0:{0}}";  // as wide as the seconds left
    config["messages"]["sender"] = 7;
    std::string text = config.dump();
    text.insert(1, "\"decay\": 1e30, ");  // a second decay, before the good one: the good one counts
    folder.WriteConfigText(text + " {\"decay\": 0}");
    auto run = ServerProcess::Run({"--check-config", folder.Dir().string()});
    const std::string& out = run.output;
    for (const char* line :
         {"load: FAILED\nconfiguration problems (12):\n",
          "  messages.coolDown: takes a width or precision from the value it is sent with; it is sent "
          "as it stands\n",
          "  queryTimeout: must be a whole number from 1 to 3600, not 0; the plugin does not load\n",
          "  text after the configuration object is ignored\n", "  decay: given more than once; the plugin does not load\n",
          "  commandCoolDown: must be a whole number from 0 to 2147483647, not string\n",
          "  radius: must be a whole number from 0 to 2147483647, not -5\n",
          "  blocked: must be a list of texts, not string\n",
          "  commands.loadVault.requireNearTransmiter: must be true or false, not string\n",
          "  commands.listVault.command: \"/SaveVault\" is also the text of commands.saveVault.command",
          "  messages.sender: must be a text, not number\n",
          "  messages.points: has a width or precision above 1000; it is sent as it stands\n",
          "  the plugin is not loaded: 2 of the problems above could destroy vaults or stall the "
          "server\n",
          "hook: none\n", "the load stops before the database: nothing in it would change\n"}) {
        EXPECT_NE(out.find(line), std::string::npos) << line << "\n---\n" << out;
    }
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(db.Scalar(event), before);
    EXPECT_EQ(db.Scalar("SELECT COUNT(*) FROM u_vault"), "1");
}

TEST(CheckConfig, AMissingConfigurationFailsWithTheLoadError) {
    ServerFolder folder;
    auto run = ServerProcess::Run({"--check-config", folder.Dir().string()});
    EXPECT_EQ(WithoutLogTimes(run.output), ConfigLine(folder) +
                                               "load: FAILED\n"
                                               "  [log] [Lockbury][error] Can't open config.json\n"
                                               "hook: none\n"
                                               "console commands: none\n"
                                               "rcon commands: none\n"
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

// The check keeps the plugin's own connection from the database, so the load itself is fine;
// the check's read-only connection says why the database would refuse it.
TEST(CheckConfig, AWrongPasswordLoadsButTheDatabaseDoesNotAnswer) {
    TestSupport::ScratchDatabase db;
    ServerFolder folder;
    auto config = TestSupport::DefaultConfig(db.Params());
    config["Database"]["mysqlPass"] = "not the password";
    folder.WriteConfig(config);
    auto run = ServerProcess::Run({"--check-config", folder.Dir().string()});
    std::string out = run.output;
    EXPECT_NE(out.find("load: ok\n" + kRegistered), std::string::npos) << out;
    EXPECT_NE(out.find("database: did not answer (" + db.Params().user + "@"), std::string::npos) << out;
    EXPECT_NE(out.find("error 1045: Access denied"), std::string::npos) << out;
    EXPECT_EQ(run.status, 1);
}

TEST(CheckConfig, TextThatIsNotJsonReportsTheParseError) {
    ServerFolder folder;
    folder.WriteConfigText("{\"Database\": {,}}");
    auto run = ServerProcess::Run({"--check-config", folder.Dir().string()});
    EXPECT_NE(run.output.find("load: FAILED\n  [log] "), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("[json.exception.parse_error.101]"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("database: not checked: [json.exception.parse_error.101]"), std::string::npos) << run.output;
    EXPECT_EQ(run.status, 1);
}

}  // namespace
}  // namespace ServerTests
