// The move log and the administrators' vault commands, as an administrator answering "my items
// are gone" uses them: every save, load, take and decay is on record with what it carried, a
// move that did not happen left no record, and the console and RCON give the same answer.
#include <chrono>
#include <sstream>
#include <thread>

#include "support/PluginTest.h"

namespace {

using TestSupport::Item;
using TestSupport::Strings;

class MoveLog : public TestSupport::PluginStoreTest {
protected:
    // The RCON reply of one line, a line of text each.
    Strings Rcon(const std::string& line) {
        Strings lines;
        for (const std::string& reply : server.Rcon(line)) {
            std::istringstream in(reply);
            for (std::string text; std::getline(in, text);) lines.push_back(text);
        }
        return lines;
    }
    // "2026-12-08 13:00:00 UTC island-1 save base: 2 rows: ..." without its time.
    static Strings WithoutTimes(Strings lines) {
        for (std::string& line : lines)
            if (line.size() > 26 && line.compare(0, 2, "  ") == 0) line = "  " + line.substr(26);
        return lines;
    }
    int Records() { return std::stoi(db.Scalar("SELECT COUNT(*) FROM u_vault_log")); }
};

TEST_F(MoveLog, EverySaveLoadTakeAndDecayIsOnRecordWithWhatItCarried) {
    config["serverId"] = "island-7";
    Start();
    auto& ann = Join("ann");
    auto& boss = Join("boss");
    const std::string island = "island-7";
    ann.PicksUp(Item("PrimalItemResource_Wood").Quantity(250));
    ann.PicksUp(Item("PrimalItemResource_Stone").Quantity(30));
    ann.PicksUp(Item("PrimalItem_WeaponStoneHatchet"));
    ann.PicksUp(Item("PrimalItem_WeaponStoneHatchet"));
    const Strings carried{
        "PrimalItemResource_Wood_C x250, PrimalItemResource_Stone_C x30, "
        "PrimalItem_WeaponStoneHatchet_C x2"};

    ann.Types("/savevault base");
    ann.Types("/loadvault base");  // the wood comes back as stacks of 100: six rows from here on
    ann.Types("/savevault base");
    const std::string annId = std::to_string(ann->SteamId());
    const Strings vaults = boss.Console("vaults ann");
    ASSERT_EQ(vaults.size(), 2u);
    EXPECT_EQ(vaults[0], "Vaults of ann (" + annId + "): 1");
    EXPECT_TRUE(vaults[1] == "  base: 6 items, decays in 00:59:59" || vaults[1] == "  base: 6 items, decays in 01:00:00")
        << vaults[1];
    EXPECT_EQ(boss.Console("vaulttake ann base"),
              Strings{"Took 6 rows of ann (" + annId + ")'s vault base into your inventory"});
    ann.PicksUp(Item("PrimalItemResource_Stone").Quantity(5));
    ann.Types("/savevault old");
    // The decay event's own statement, from a session that is no Lockbury server's.
    db.Exec("UPDATE u_vault SET dtinsert = dtinsert - 7200");
    db.Exec("DELETE FROM u_vault WHERE dtinsert < UNIX_TIMESTAMP() - 60 * 60");

    const std::string by = std::to_string(boss->SteamId());
    const Strings expected{"Last 6 moves of ann (" + annId + "), newest first:",
                           "  database decay old: 1 rows: PrimalItemResource_Stone_C x5",
                           "  " + island + " save old: 1 rows: PrimalItemResource_Stone_C x5",
                           "  " + island + " admin take by " + by + " base: 6 rows: " + carried[0],
                           "  " + island + " save base: 6 rows: " + carried[0],
                           "  " + island + " load base: 4 rows: " + carried[0],
                           "  " + island + " save base: 4 rows: " + carried[0]};
    const Strings overRcon = Rcon("vaultlog ann");
    EXPECT_EQ(WithoutTimes(overRcon), expected);
    EXPECT_EQ(boss.Console("vaultlog ann"), overRcon);
    EXPECT_EQ(Rcon("vaultlog ann 2").size(), 3u);

    // Every item is in one place: the administrator holds what the take gave; the decayed stone is gone.
    EXPECT_EQ(boss.Count("PrimalItemResource_Wood"), 250);
    EXPECT_EQ(boss.Count("PrimalItemResource_Stone"), 30);
    EXPECT_EQ(boss.Count("PrimalItem_WeaponStoneHatchet"), 2);
    EXPECT_TRUE(ann->Inventory().empty());
    EXPECT_TRUE(Rows(ann).empty());
}

TEST_F(MoveLog, AMoveWhoseTransactionFailsLeavesNoRecordAndMovesNothing) {
    Start();
    auto& ann = Join("ann");
    ann.PicksUp(Item("PrimalItemResource_Wood").Quantity(250));
    ann.PicksUp(Item("PrimalItem_WeaponStoneHatchet"));

    // The record cannot be written: the save does not happen either.
    db.Exec("RENAME TABLE u_vault_log_items TO u_vault_log_items_away");
    ExpectErrorLog("MySql::AddVaultRows");
    EXPECT_EQ(ann.Types("/savevault base"), Strings{"Store unavailable"});
    EXPECT_EQ(ann.Count("PrimalItemResource_Wood"), 250);
    EXPECT_EQ(ann.Count("PrimalItem_WeaponStoneHatchet"), 1);
    EXPECT_TRUE(Rows(ann).empty());
    EXPECT_EQ(Records(), 0);

    db.Exec("RENAME TABLE u_vault_log_items_away TO u_vault_log_items");
    ann.Types("/savevault base");
    ASSERT_EQ(Rows(ann).size(), 2u);
    EXPECT_EQ(Records(), 1);

    // Nor can a load's: the rows stay, the items given leave the inventory again.
    db.Exec("RENAME TABLE u_vault_log_items TO u_vault_log_items_away");
    ExpectErrorLog("MySql::SettleClaim");
    EXPECT_EQ(ann.Types("/loadvault base"), Strings{"Store unavailable"});
    EXPECT_TRUE(ann->Inventory().empty());
    EXPECT_EQ(Rows(ann).size(), 2u);
    EXPECT_EQ(Records(), 1);

    // A decay goes on even then: only its record is lost.
    db.Exec("UPDATE u_vault SET dtinsert = dtinsert - 7200");
    db.Exec("DELETE FROM u_vault WHERE dtinsert < UNIX_TIMESTAMP() - 60 * 60");
    EXPECT_TRUE(Rows(ann).empty());
}

TEST_F(MoveLog, AdministratorsAreToldWhatIsWrongAndTheTakeIsConsoleOnly) {
    Start();
    auto& boss = Join("boss");
    Join("ann");
    const std::string player = " (PLAYER: a steam id, or the name of a player on this server)";
    EXPECT_EQ(Rcon("vaults"), Strings{"Usage: vaults PLAYER" + player});
    EXPECT_EQ(Rcon("vaultitems ann"), Strings{"Usage: vaultitems PLAYER VAULT" + player});
    EXPECT_EQ(Rcon("vaultlog ann 0"), Strings{"Usage: vaultlog PLAYER [N]: N is a number of moves from 1 to 200"});
    EXPECT_EQ(Rcon("vaults nobody"), Strings{"No player named \"nobody\" is on this server; give the steam id"});
    EXPECT_EQ(Rcon("vaults ANN").size(), 1u);  // names match ignoring case
    EXPECT_EQ(Rcon("vaults 76561190000000000"), Strings{"76561190000000000 has no vaults"});
    EXPECT_EQ(boss.Console("vaulttake ann base"), Strings{"ann (76561198000000002) has no vault named base"});
    EXPECT_EQ(Rcon("vaulttake ann base"), Strings{"unknown command \"vaulttake\""});
}

TEST_F(MoveLog, RecordsOlderThanLogDaysArePrunedByTheDatabaseWithTheirItems) {
    config["logDays"] = 2;
    Start();
    auto& ann = Join("ann");
    ann.PicksUp(Item("PrimalItemResource_Wood").Quantity(10));
    ann.Types("/savevault old");
    ann.PicksUp(Item("PrimalItemResource_Wood").Quantity(20));
    ann.Types("/savevault new");
    db.Exec("UPDATE u_vault_log SET at = at - 3 * 86400 WHERE vaultname = 'old'");
    // The event's next run, now rather than in an hour.
    db.Exec("ALTER EVENT Vault_Log_Prune ON SCHEDULE AT CURRENT_TIMESTAMP");
    for (int i = 0; i < 100 && Records() == 2; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(db.Scalar("SELECT GROUP_CONCAT(vaultname) FROM u_vault_log"), "new");
    EXPECT_EQ(db.Scalar("SELECT COUNT(*) FROM u_vault_log_items"), "1");
}

}  // namespace
