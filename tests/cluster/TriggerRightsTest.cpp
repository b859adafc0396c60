// An account with every right on its own database but not SUPER, on a node of the Galera cluster,
// where making a trigger asks for SUPER (or log_bin_trust_function_creators) even with the binary
// log off: --check-config names the refusal before a restart, the load says it in one critical
// line, and the vaults still work.
#include <cstdio>

#include "support/PluginTest.h"

namespace {

using TestSupport::Item;
using TestSupport::Strings;

std::string Output(const std::string& command) {
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
        pclose(pipe);
    }
    return out;
}

class TriggerRights : public TestSupport::PluginStoreTest {
protected:
    TriggerRights() {
        db.Exec("CREATE USER IF NOT EXISTS 'vaultonly'@'127.0.0.1' IDENTIFIED BY 'vaultonly'");
        db.Exec("GRANT ALL PRIVILEGES ON `" + db.Params().database + "`.* TO 'vaultonly'@'127.0.0.1'");
        config["Database"]["mysqlUser"] = "vaultonly";
        config["Database"]["mysqlPass"] = "vaultonly";
        config["messages"]["vaultList"] = "{}: {} items\n";
    }
    ~TriggerRights() override {
        try {
            db.Exec("DROP USER IF EXISTS 'vaultonly'@'127.0.0.1'");
        } catch (const std::exception&) {
        }
    }
};

TEST_F(TriggerRights, AMissingSuperIsNamedBeforeTheLoadAndTheVaultsStillWork) {
    ASSERT_EQ(db.Scalar("SELECT @@wsrep_on"), "1") << "runs on the three-node cluster: scripts/cluster start";
    server.WriteConfig(config);
    const std::string check = Output("'" LOCKBURY_SERVER_PATH "' --check-config '" + server.Dir().string() + "' 2>&1");
    EXPECT_NE(check.find("move log: the load would fail to create the trigger u_vault_log_removed (the binary log or "
                         "Galera replication is on and the account has neither SUPER nor "
                         "log_bin_trust_function_creators=1 on the server): decays would not be recorded"),
              std::string::npos)
        << check;
    EXPECT_NE(check.find("cluster: Galera node node1 of 3; a load that must make the trigger u_vault_log_removed first "
                         "claims it in the table u_vault_setup"),
              std::string::npos)
        << check;

    ExpectErrorLog("(Database/MysqlMoveLog MySql::PrepareMoveLog) Failed to create trigger u_vault_log_removed");
    server.Load();  // not Start: the load's own lines are looked at
    EXPECT_EQ(LogLinesContaining("[critical]"), 1);
    EXPECT_EQ(LogLinesContaining("Failed to create trigger u_vault_log_removed"), 1);
    auto& alice = Join("alice");
    alice.PicksUp(Item("PrimalItemResource_Wood").Quantity(30));
    alice.Types("/savevault wood");
    EXPECT_EQ(alice.Types("/listvault"), Strings{"wood: 1 items\n"});
    EXPECT_EQ(alice.Types("/loadvault wood"), Strings{});
    EXPECT_EQ(alice.Classes(), Strings{"PrimalItemResource_Wood"});
}

}  // namespace
