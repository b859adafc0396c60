// The crash-safety journal at the store: each move journaled in its own transaction, world saves
// covering them, and the recovery at a restart undoing exactly the moves the restored world does
// not hold. A "restart" here is a new store over the same database, as a new server process has.
#include <fmt/format.h>
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "support/Relay.h"
#include "support/StoreEnvironment.h"

namespace {

using StoreTest::StoreTestBase;
using StoreTest::Wide;

constexpr std::uint64_t kPlayer = 76561198000000001ull;
const std::string kWood = "Blueprint'/Game/Resources/PrimalItemResource_Wood.PrimalItemResource_Wood'";
const std::string kStone = "Blueprint'/Game/Resources/PrimalItemResource_Stone.PrimalItemResource_Stone'";

// World save times, in microseconds, as the game mode gives them.
constexpr std::int64_t kFirstWorld = 1'700'000'000'000'000;
constexpr std::int64_t kSecondWorld = kFirstWorld + 300'000'000;
constexpr std::int64_t kThirdWorld = kSecondWorld + 300'000'000;

VaultRow Item(const std::string& data, std::uint32_t id) {
    VaultRow row = VaultRow::Item(Wide("PrimalItem_WeaponPike_C"), data);
    row.itemId1 = id;
    row.itemId2 = 1;
    return row;
}
VaultRow Resource(const std::string& blueprint, int quantity, std::uint32_t id) {
    VaultRow row = VaultRow::Resource(Wide("PrimalItemResource_C"), Wide(blueprint), quantity);
    row.itemId1 = id;
    row.itemId2 = 1;
    return row;
}
RestoredWorld Restored(std::int64_t at) { return {at, at}; }

// The first halves of the item ids the recovery left to settle at joins, entry by entry.
std::vector<std::vector<std::uint32_t>> Unwound(const JournalRecovery& recovery) {
    std::vector<std::vector<std::uint32_t>> ids;
    for (const Unwind& unwind : recovery.unwinds) {
        ids.emplace_back();
        for (const UnwindItem& item : unwind.items) ids.back().push_back(item.itemId1);
    }
    return ids;
}
using Ids = std::vector<std::vector<std::uint32_t>>;

class JournalTest : public StoreTestBase {
protected:
    void SetUp() override {
        StoreTestBase::SetUp();
        scratch.Exec("ALTER DATABASE " + scratch.Params().database + " CHARACTER SET utf8mb4");
    }
    std::unique_ptr<MySql> Server(const std::string& id, TestSupport::DbParams params) {
        StoreSettings settings;
        settings.reconnectInterval = 0;
        settings.decayMinutes = [] { return Lockbury::ConfigInt("decay"); };
        settings.log = Lockbury::GetLog();
        settings.journal = true;
        settings.serverId = id;
        return std::make_unique<MySql>(params.host, params.user, params.password, params.database, params.port, settings);
    }
    std::unique_ptr<MySql> Server(const std::string& id) { return Server(id, scratch.Params()); }

    std::vector<std::int32_t> Save(MySql& store, const std::string& vault, const std::vector<VaultRow>& rows) {
        const RowsWritten written = store.AddVaultRows(kPlayer, Wide(vault), rows);
        EXPECT_EQ(written.settlement, Settlement::Committed);
        return written.ids;
    }
    // A load that takes the rows named whole and leaves the quantities named in the others.
    void Load(MySql& store, const std::string& vault, const ClaimOutcome& outcome) {
        ASSERT_FALSE(store.ClaimVaultItems(kPlayer, Wide(vault), 300).failed);
        ASSERT_EQ(store.SettleClaim(outcome), Settlement::Committed);
    }
    // id -> "qtd itemdata dtinsert" of every vault row.
    std::map<std::string, std::string> Vault() const {
        std::map<std::string, std::string> rows;
        for (const auto& r : scratch.Query("SELECT id, IFNULL(qtd, '-'), IFNULL(itemdata, '-'), dtinsert FROM u_vault"))
            rows[*r[0]] = *r[1] + " " + *r[2] + " " + *r[3];
        return rows;
    }
    // "server kind rows" of every journal entry, oldest first.
    std::vector<std::string> Journal() const {
        std::vector<std::string> entries;
        for (const auto& r : scratch.Query("SELECT j.server_id, j.kind, COUNT(r.row_id) FROM u_vault_journal j LEFT "
                                           "JOIN u_vault_journal_rows r ON r.journal_id = j.id GROUP BY j.id ORDER BY "
                                           "j.id"))
            entries.push_back(*r[0] + " " + *r[1] + " " + *r[2]);
        return entries;
    }
    std::string World(const std::string& server) const {
        return scratch.Scalar(
            "SELECT CONCAT(saved_at, ' ', covered, ' ', IFNULL(pending, '-')) FROM u_vault_world "
            "WHERE server_id = '" +
            server + "'");
    }
    std::string HighestEntry() const { return scratch.Scalar("SELECT MAX(id) FROM u_vault_journal"); }

    TestSupport::ScratchDatabase scratch;
};

// Moves after the last world save are undone at a restart: a load's rows come back whole with
// their own id and time; a save's items are settled at the player's join, with the restored
// character: an item it holds stays with it and its row leaves the vault, unless another server
// took the row (whole or in part): then the item leaves the character; an item it does not hold
// (made after the world save) stays in the vault.
TEST_F(JournalTest, RestartUndoesTheMovesAfterTheLastWorldSave) {
    auto a = Server("island");
    ASSERT_TRUE(a->RecoverJournal(Restored(kFirstWorld)).done);
    const auto base = Save(*a, "base", {Item("aa", 11), Resource(kWood, 250, 12)});
    ASSERT_TRUE(a->WorldSaveStarting(kFirstWorld));
    ASSERT_TRUE(a->WorldSaved(kSecondWorld));
    EXPECT_TRUE(Journal().empty()) << "the world save covers the first save";

    // After the world save: a save, a load of the first save's rows, and another server taking
    // the second save's rows.
    HostRuntime::SetClockOffset(-600);  // rows of their own time, well inside the hour of decay
    const auto more = Save(*a, "more", {Item("bb", 21), Resource(kStone, 100, 22), Item("cc", 23)});
    HostRuntime::SetClockOffset(0);
    const auto before = Vault();
    Load(*a, "base", {{base[0]}, {{base[1], 50}}, {}});
    auto b = Server("other");
    ASSERT_TRUE(b->RecoverJournal(Restored(0)).done);
    Load(*b, "more", {{more[0]}, {{more[1], 40}}, {}});
    EXPECT_EQ(Journal(), (std::vector<std::string>{"island save 3", "island load 2", "other load 2"}));

    // The server crashes and comes back with the world of the last save.
    a.reset();
    a = Server("island");
    const JournalRecovery recovery = a->RecoverJournal(Restored(kSecondWorld));
    ASSERT_TRUE(recovery.done);

    auto expected = before;
    const std::string stone = before.at(std::to_string(more[1]));
    expected.erase(std::to_string(more[0]));  // on the other server now
    expected[std::to_string(more[1])] = "40 - " + stone.substr(stone.rfind(' ') + 1);
    EXPECT_EQ(Vault(), expected) << "the load's rows are back as they were, the save's wait for the join";
    ASSERT_EQ(recovery.unwinds.size(), 1u);
    EXPECT_EQ(recovery.unwinds[0].steamId, kPlayer);
    EXPECT_EQ(Unwound(recovery), (Ids{{21, 22, 23}}));
    EXPECT_EQ(Journal(), (std::vector<std::string>{"island unwind 3", "other load 2"}));
    EXPECT_EQ(World("island"), std::to_string(kSecondWorld) + " 1 -") << "covered up to the first save";

    // Running it again (a recovery cut short is run again) changes nothing.
    a.reset();
    a = Server("island");
    const JournalRecovery again = a->RecoverJournal(Restored(kSecondWorld));
    ASSERT_TRUE(again.done);
    EXPECT_EQ(Vault(), expected);
    EXPECT_EQ(Unwound(again), Unwound(recovery));

    // The player joins. The restored character holds the hatchet (taken elsewhere: it leaves the
    // character) and the third item (still as saved: its row leaves the vault); it does not hold
    // the stone, made after the world save: that row stays in the vault.
    const auto leaving = a->SettleUnwind(recovery.unwinds[0].journalId, {more[0], more[2]});
    ASSERT_TRUE(leaving.has_value());
    EXPECT_EQ(*leaving, std::vector<std::int32_t>{more[0]});
    expected.erase(std::to_string(more[2]));
    EXPECT_EQ(Vault(), expected);
    EXPECT_EQ(Journal(), (std::vector<std::string>{"other load 2", "island applied 2"}));

    // A crash before a world save holds that: the restored world has the hatchet again, and the
    // unwind is applied again at the next join (the third item's row is gone for good).
    a = Server("island");
    const JournalRecovery reopened = a->RecoverJournal(Restored(kSecondWorld));
    ASSERT_TRUE(reopened.done);
    EXPECT_EQ(Unwound(reopened), (Ids{{21, 22}}));
    ASSERT_TRUE(a->SettleUnwind(reopened.unwinds[0].journalId, {more[0]}).has_value());

    // A world save after the join drops the unwind.
    ASSERT_TRUE(a->WorldSaveStarting(kSecondWorld));
    ASSERT_TRUE(a->WorldSaved(kThirdWorld));
    EXPECT_EQ(Journal(), (std::vector<std::string>{"other load 2"}));
    EXPECT_EQ(Vault(), expected);
    EXPECT_EQ(World("other"), "0 0 -");
}

// Which world came back decides what is undone, wherever the crash fell around a world save.
TEST_F(JournalTest, TheRestoredWorldDecidesWhatIsUndone) {
    auto a = Server("island");
    ASSERT_TRUE(a->RecoverJournal(Restored(kFirstWorld)).done);
    Save(*a, "base", {Item("aa", 1)});
    ASSERT_TRUE(a->WorldSaveStarting(kFirstWorld));
    const std::string pending = World("island");
    EXPECT_EQ(pending, std::to_string(kFirstWorld) + " 0 " + HighestEntry());

    // The crash fell after the new world file was in place, before the journal's clean-up.
    a = Server("island");
    ASSERT_TRUE(a->RecoverJournal(Restored(kSecondWorld)).done);
    EXPECT_EQ(scratch.Scalar("SELECT COUNT(*) FROM u_vault"), "1") << "the new world holds the save";
    EXPECT_TRUE(Journal().empty());
    EXPECT_EQ(World("island"), std::to_string(kSecondWorld) + " " + pending.substr(pending.rfind(' ') + 1) + " -");

    // The crash fell before the file was in place: the older world comes back.
    Save(*a, "base", {Item("bb", 2)});
    ASSERT_TRUE(a->WorldSaveStarting(kSecondWorld));
    a = Server("island");
    JournalRecovery recovery = a->RecoverJournal(Restored(kSecondWorld));
    ASSERT_TRUE(recovery.done);
    EXPECT_EQ(Unwound(recovery), (Ids{{2}}));
    scratch.Exec("DELETE FROM u_vault_journal WHERE kind = 'unwind'");  // as the join and the next save would

    // A world older than the last one this server saved: what the journal still has is undone,
    // and the administrator is told what cannot be.
    Save(*a, "base", {Item("cc", 3)});
    a = Server("island");
    ClearLog();
    recovery = a->RecoverJournal(Restored(kFirstWorld));
    ASSERT_TRUE(recovery.done);
    EXPECT_EQ(Unwound(recovery), (Ids{{3}}));
    scratch.Exec("DELETE FROM u_vault_journal WHERE kind = 'unwind'");
    ASSERT_FALSE(Log().empty());
    EXPECT_NE(Log()[0].find("[error] (Database/MysqlWorld MySql::RecoverJournal) The world restored (saved at "
                            "1700000000.000000) is not the last one this server saved (at 1700000300.000000)"),
              std::string::npos)
        << Log()[0];

    // A world save ran before the recovery could (the database was down at the start): it wrote
    // the restored world again under a new time. The world the server started with decides; the
    // new one is recorded.
    Save(*a, "base", {Item("dd", 4)});
    a = Server("island");
    recovery = a->RecoverJournal({kFirstWorld, kThirdWorld});
    ASSERT_TRUE(recovery.done);
    EXPECT_EQ(Unwound(recovery), (Ids{{4}}));
    EXPECT_EQ(World("island").substr(0, World("island").find(' ')), std::to_string(kThirdWorld));

    // What a store knows without asking: whether it journaled moves no recorded save covers.
    EXPECT_FALSE(a->JournalUncovered());
    Save(*a, "base", {Item("ee", 5)});
    EXPECT_TRUE(a->JournalUncovered());
    ASSERT_TRUE(a->WorldSaveStarting(kThirdWorld));
    ASSERT_TRUE(a->WorldSaved(kThirdWorld + 1));
    EXPECT_FALSE(a->JournalUncovered());
}

// The recovery and the unwind at the join run again when the database picks them as a deadlock's
// victim (here a trigger refuses the journal's writes as a deadlock would, with 1213), so the
// items saved before the crash are not in the character and in the vault at once until a later
// join; past the last try the unwind waits for that join with nothing changed.
TEST_F(JournalTest, ADeadlockVictimIsRunAgain) {
    auto a = Server("island");
    ASSERT_TRUE(a->RecoverJournal(Restored(kFirstWorld)).done);
    const auto saved = Save(*a, "base", {Item("aa", 1), Item("bb", 2)});
    scratch.Exec("CREATE TABLE deadlocks_left (n INT NOT NULL) ENGINE=MyISAM");  // kept when a statement fails
    scratch.Exec("INSERT INTO deadlocks_left VALUES (0)");
    for (const char* event : {"INSERT", "UPDATE"})
        scratch.Exec(std::string("CREATE TRIGGER deadlock_") + event + " BEFORE " + event +
                     " ON u_vault_journal FOR EACH ROW BEGIN IF (SELECT n FROM deadlocks_left) > 0 THEN UPDATE "
                     "deadlocks_left SET n = n - 1; SIGNAL SQLSTATE '40001' SET MYSQL_ERRNO = 1213, MESSAGE_TEXT = "
                     "'Deadlock found when trying to get lock'; END IF; END");
    const auto deadlocks = [&](int n) { scratch.Exec("UPDATE deadlocks_left SET n = " + std::to_string(n)); };
    const auto left = [&] { return scratch.Scalar("SELECT n FROM deadlocks_left"); };

    a = Server("island");
    deadlocks(1);
    const JournalRecovery recovery = a->RecoverJournal(Restored(kFirstWorld));
    ASSERT_TRUE(recovery.done);
    EXPECT_EQ(left(), "0");
    EXPECT_EQ(Unwound(recovery), (Ids{{1, 2}}));

    deadlocks(3);
    EXPECT_FALSE(a->SettleUnwind(recovery.unwinds[0].journalId, {saved[0], saved[1]}).has_value());
    EXPECT_EQ(left(), "0");
    EXPECT_EQ(Journal(), (std::vector<std::string>{"island unwind 2"}));
    EXPECT_EQ(Vault().size(), 2u) << "nothing of the refused tries stays";

    deadlocks(2);
    EXPECT_EQ(a->SettleUnwind(recovery.unwinds[0].journalId, {saved[0], saved[1]}), std::vector<std::int32_t>{});
    EXPECT_EQ(left(), "0");
    EXPECT_TRUE(Vault().empty()) << "the restored character holds both items";
}

// An item the game would not remove keeps its row only as long as the save: the row is deleted
// again with its journal row, so an undone save does not take that item from anyone.
TEST_F(JournalTest, RowDeletedAgainLeavesTheJournalWithIt) {
    auto a = Server("island");
    ASSERT_TRUE(a->RecoverJournal(Restored(0)).done);
    const auto ids = Save(*a, "base", {Item("aa", 1), Item("bb", 2)});
    ASSERT_TRUE(a->DeleteVaultRows({ids[1]}));
    EXPECT_EQ(Journal(), (std::vector<std::string>{"island save 1"}));
    auto b = Server("other");
    Load(*b, "base", {{ids[0]}, {}, {}});
    a = Server("island");
    const JournalRecovery recovery = a->RecoverJournal(Restored(0));
    ASSERT_TRUE(recovery.done);
    EXPECT_EQ(Unwound(recovery), (Ids{{1}})) << "the row deleted again is no part of it";
}

// A load, then a save of what it gave, taken on another server, then a crash. The save cannot be
// undone by taking the item from the restored character: the world was saved while the item was
// still in the vault. So the load is not undone for that item either; what the load gave that
// stayed with the crashed server goes back into the vault.
TEST_F(JournalTest, ALoadWhoseItemsWentOnThroughAVaultAndAwayIsNotUndoneForThem) {
    auto a = Server("island");
    ASSERT_TRUE(a->RecoverJournal(Restored(0)).done);
    const auto home = Save(*a, "home", {Item("aa", 33), Resource(kWood, 250, 34)});
    ASSERT_TRUE(a->WorldSaveStarting(0));
    ASSERT_TRUE(a->WorldSaved(kFirstWorld));
    // The wood came back as three stacks; one of them and the hatchet go on into another vault.
    Load(*a, "home",
         {{home[0], home[1]},
          {},
          {{home[0], 33, 1, 1}, {home[1], 40, 1, 100}, {home[1], 41, 1, 100}, {home[1], 42, 1, 50}}});
    const auto trip = Save(*a, "trip", {Item("aa", 33), Resource(kWood, 100, 40)});
    auto b = Server("other");
    Load(*b, "trip", {{trip[0]}, {{trip[1], 30}}, {}});

    a = Server("island");
    const JournalRecovery recovery = a->RecoverJournal(Restored(kFirstWorld));
    ASSERT_TRUE(recovery.done);
    EXPECT_TRUE(recovery.unwinds.empty()) << "the restored character never had those items";
    EXPECT_EQ(scratch.Scalar("SELECT GROUP_CONCAT(CONCAT(id, ':', IFNULL(qtd, 'item')) ORDER BY id) FROM u_vault"),
              fmt::format("{}:150,{}:30", home[1], trip[1]))
        << "the wood the crashed server kept is back; the hatchet and 70 wood are on the other server";
    EXPECT_EQ(Journal(), (std::vector<std::string>{"other load 2"}));
}

// A saved row the decay event deleted before the restart is treated as taken elsewhere: the
// vault lost it, so the restored character must lose its item too. A load undone puts its row
// back with its own time, so a row already due decays at the event's next run.
TEST_F(JournalTest, DecayedRowsAreSettledAsTheVaultWouldHaveThem) {
    Lockbury::Config()["decay"] = 1000000;  // the test runs the event's deletion itself, when it wants
    auto a = Server("island");
    ASSERT_TRUE(a->RecoverJournal(Restored(0)).done);
    HostRuntime::SetClockOffset(-2 * 3600);  // two hours ago, past the hour of decay
    const auto old = Save(*a, "old", {Item("aa", 1)});
    HostRuntime::SetClockOffset(0);
    const auto fresh = Save(*a, "fresh", {Item("bb", 2)});
    ASSERT_TRUE(a->WorldSaveStarting(0));
    ASSERT_TRUE(a->WorldSaved(kFirstWorld));
    Load(*a, "old", {{old[0]}, {}, {}});
    HostRuntime::SetClockOffset(-2 * 3600);
    const auto late = Save(*a, "late", {Item("dd", 4)});
    HostRuntime::SetClockOffset(0);
    scratch.Exec("DELETE FROM u_vault WHERE UNIX_TIMESTAMP() - dtinsert > 3600");  // what the event does

    a = Server("island");
    const JournalRecovery recovery = a->RecoverJournal(Restored(kFirstWorld));
    ASSERT_TRUE(recovery.done);
    EXPECT_EQ(Unwound(recovery), (Ids{{4}}));
    EXPECT_EQ(scratch.Scalar("SELECT GROUP_CONCAT(itemdata ORDER BY id) FROM u_vault"), "aa,bb")
        << "the decayed row loaded is back, due again";
    // The restored character holds the decayed row's item: it leaves, as the vault lost it.
    EXPECT_EQ(a->SettleUnwind(recovery.unwinds[0].journalId, {late[0]}), std::vector<std::int32_t>{late[0]});
    scratch.Exec("DELETE FROM u_vault WHERE UNIX_TIMESTAMP() - dtinsert > 3600");
    EXPECT_EQ(scratch.Scalar("SELECT GROUP_CONCAT(itemdata) FROM u_vault"), "bb");
    EXPECT_EQ(fresh.size(), 1u);
}

// With the journal in the move's own transaction, the question that settles a lost COMMIT
// answer settles both: whichever side of the COMMIT the database is on, the move and its entry
// are on it together. A save costs two statements more than without a journal, a load three.
TEST_F(JournalTest, LostCommitSettlesTheMoveAndItsJournalTogether) {
    TestSupport::Relay relay(scratch.Params().port);
    auto params = scratch.Params();
    params.port = relay.Port();
    auto a = Server("island", params);
    ASSERT_TRUE(a->RecoverJournal(Restored(0)).done);
    auto entries = [&](const char* kind) {
        return std::stoi(scratch.Scalar(std::string("SELECT COUNT(*) FROM u_vault_journal WHERE kind = '") + kind + "'"));
    };

    // The answer of a save's COMMIT is lost; then one that never reaches the server.
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i == 0 ? "answer lost" : "dropped");
        const std::string vault = "save" + std::to_string(i);
        i == 0 ? relay.CutAnswerOf("COMMIT") : relay.DropBefore("COMMIT");
        const RowsWritten written = a->AddVaultRows(kPlayer, Wide(vault), {Item("aa", 1), Resource(kWood, 30, 2)});
        EXPECT_FALSE(relay.Armed());
        ASSERT_NE(written.settlement, Settlement::Unknown);
        const int stored = written.settlement == Settlement::Committed ? 1 : 0;
        if (i == 1) {
            EXPECT_EQ(stored, 0);
        }
        EXPECT_EQ(scratch.Scalar("SELECT COUNT(*) FROM u_vault WHERE vaultname = '" + vault + "'"),
                  std::to_string(2 * stored));
        EXPECT_EQ(scratch.Scalar("SELECT COUNT(*) FROM u_vault_journal WHERE vaultname = '" + vault + "'"),
                  std::to_string(stored));
    }

    // The same for a load of 20 of 30 wood and an item: a COMMIT that never arrived, then one
    // whose answer is lost.
    const auto ids = Save(*a, "base", {Item("bb", 3), Resource(kWood, 30, 4)});
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i == 0 ? "dropped" : "answer lost");
        const int loadsBefore = entries("load");
        ASSERT_FALSE(a->ClaimVaultItems(kPlayer, Wide("base"), 10).failed);
        i == 0 ? relay.DropBefore("COMMIT") : relay.CutAnswerOf("COMMIT");
        const Settlement settled = a->SettleClaim({{ids[0]}, {{ids[1], 10}}, {}});
        EXPECT_FALSE(relay.Armed());
        ASSERT_NE(settled, Settlement::Unknown);
        const bool loaded = settled == Settlement::Committed;
        if (i == 0) {
            EXPECT_FALSE(loaded);
        }
        EXPECT_EQ(entries("load"), loadsBefore + (loaded ? 1 : 0));
        EXPECT_EQ(scratch.Scalar("SELECT GROUP_CONCAT(IFNULL(qtd, 'item') ORDER BY id) FROM u_vault WHERE vaultname "
                                 "= 'base'"),
                  loaded ? "10" : "item,30");
    }

    Save(*a, "warm", {Item("01", 9)});  // a new connection reads the packet limit again
    relay.ClearStatements();
    const auto counted = Save(*a, "count", {Item("cc", 5), Item("dd", 6)});
    EXPECT_EQ(relay.StatementCount(), 7) << "START, INSERT, journal entry, its rows, move record, its items, COMMIT";
    relay.ClearStatements();
    Load(*a, "count", {{counted[0]}, {}, {{counted[0], 5, 1, 1}}});
    EXPECT_EQ(relay.StatementCount(), 10)
        << "START, SELECT ids, SELECT rows, journal entry, its rows, its items, move record, its items, DELETE, COMMIT";
}

// Without crash safety the store neither makes nor writes a journal.
TEST_F(JournalTest, WithoutCrashSafetyThereIsNoJournal) {
    auto store = OpenStore(scratch.Params());
    ASSERT_EQ(store->AddVaultRows(kPlayer, Wide("base"), {Item("aa", 1)}).settlement, Settlement::Committed);
    EXPECT_TRUE(store->RecoverJournal(Restored(kFirstWorld)).done);
    EXPECT_TRUE(store->WorldSaveStarting(kFirstWorld));
    EXPECT_TRUE(store->WorldSaved(kSecondWorld));
    EXPECT_EQ(
        scratch.Scalar("SELECT COUNT(*) FROM information_schema.TABLES WHERE TABLE_SCHEMA = '" + scratch.Params().database +
                       "' AND (TABLE_NAME LIKE 'u_vault_journal%' OR TABLE_NAME = "
                       "'u_vault_world')"),
        "0");
}

}  // namespace
