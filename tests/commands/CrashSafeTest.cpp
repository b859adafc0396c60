// Crash-safe vaults as players and administrators meet them: a server crashes (a lockbury-server
// process ends at once), starts again on its folder with the world of its last world save, and
// every item is then in exactly one place: a restored inventory, another server's inventory, or
// the vault. Without crashSafe the same crashes duplicate and lose items, as they always did.
#include <fmt/format.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "Private/Vault/ItemText.h"
#include "Sim/Server.h"
#include "support/Relay.h"
#include "support/TestConfig.h"
#include "support/TestDatabase.h"

namespace {

namespace fs = std::filesystem;
using Holdings = std::map<std::string, int>;  // class -> quantity
using Strings = std::vector<std::string>;

constexpr std::uint64_t kAlice = 76561198000000001ULL;
constexpr std::uint64_t kBob = 76561198000000002ULL;
const Strings kUnavailable{"Store unavailable"};

Holdings InventoryOf(const Sim::Player& player) {
    Holdings held;
    for (const auto& item : player.Inventory()) held[item.className] += item.quantity;
    return held;
}

Strings Say(Sim::Server& server, Sim::Player& player, const std::string& line) {
    player.ClearReceived();
    EXPECT_TRUE(server.Chat(player, line)) << line;
    Strings texts;
    for (const auto& out : player.Received()) texts.push_back(out.text);
    return texts;
}

class CrashSafeTest : public ::testing::Test {
protected:
    ~CrashSafeTest() override {
        std::error_code ignored;
        for (const fs::path& dir : folders_) fs::remove_all(dir, ignored);
    }

    // A game server's folder with the plugin's configuration.
    fs::path Folder(const std::string& serverId, bool crashSafe = true) {
        std::string pattern = (fs::temp_directory_path() / "lockbury-crash-XXXXXX").string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a server folder");
        const fs::path dir(pattern);
        folders_.push_back(dir);
        auto config = TestSupport::DefaultConfig(db.Params());
        config["crashSafe"] = crashSafe;
        config["serverId"] = serverId;
        WriteConfig(dir, config);
        return dir;
    }
    static void WriteConfig(const fs::path& dir, const nlohmann::ordered_json& config) {
        fs::create_directories(dir / "ArkApi/Plugins/Lockbury");
        std::ofstream(dir / "ArkApi/Plugins/Lockbury/config.json", std::ios::binary | std::ios::trunc) << config.dump(2);
    }

    // A lockbury-server process runs these lines on the folder; its exit status (137: crashed).
    int Session(const fs::path& dir, const Strings& lines) {
        const fs::path script = dir / "session.txt";
        std::ofstream out(script, std::ios::trunc);
        for (const std::string& line : lines) out << line << '\n';
        out.close();
        const fs::path output = dir / "session.out";
        const std::string command =
            fmt::format("'{}' --server-dir '{}' --script '{}' --plugin '{}' > '{}' 2>&1", LOCKBURY_SERVER_PATH,
                        dir.string(), script.string(), LOCKBURY_PLUGIN_PATH, output.string());
        const int status = std::system(command.c_str());
        std::ifstream printed(output);
        lastOutput = std::string(std::istreambuf_iterator<char>(printed), {});
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    // The server started (again) on its folder, with the world of its last world save.
    std::unique_ptr<Sim::Server> Start(const fs::path& dir) {
        auto server = std::make_unique<Sim::Server>(dir);
        server->LoadPlugin(LOCKBURY_PLUGIN_PATH);
        return server;
    }

    // The player's vault rows, as the items they hold.
    Holdings Vault(std::uint64_t steamId) const {
        Holdings held;
        for (const auto& row :
             db.Query("SELECT itemdata, blueprint, qtd FROM u_vault WHERE steamid = " + std::to_string(steamId))) {
            if (row[1]) {
                for (const auto& info : Sim::Server::Classes())
                    if (info.blueprintPath == *row[1]) held[info.name] += std::stoi(row[2].value_or("0"));
            } else {
                const TArray<unsigned char> bytes = Lockbury::HexToBytes(row[0].value_or(""));
                const auto item = Sim::Server::Decode({begin(bytes), end(bytes)});
                EXPECT_TRUE(item.has_value());
                if (item) held[item->className] += item->quantity;
            }
        }
        return held;
    }
    static Holdings Sum(Holdings a, const Holdings& b) {
        for (const auto& [name, quantity] : b) a[name] += quantity;
        std::erase_if(a, [](const auto& entry) { return entry.second == 0; });
        return a;
    }

    TestSupport::ScratchDatabase db;
    std::string lastOutput;

private:
    std::vector<fs::path> folders_;
};

const Holdings kBelongings{{"PrimalItem_WeaponStoneHatchet", 1}, {"PrimalItemResource_Wood", 250}};
const Strings kGiveBelongings{"give alice PrimalItem_WeaponStoneHatchet", "give alice PrimalItemResource_Wood 250"};
const Holdings kShirt{{"PrimalItemArmor_ClothShirt", 1}};

// A save and a load after the last world save, then a crash. With crashSafe the restart undoes
// both: the saved items are back in the inventory only, the loaded row is back in the vault with
// its own id and time. Without it the save is duplicated and the load lost.
TEST_F(CrashSafeTest, SaveAndLoadBeforeACrashAreUndoneAtTheRestart) {
    for (const bool crashSafe : {true, false}) {
        SCOPED_TRACE(crashSafe ? "crashSafe" : "without crashSafe");
        const fs::path dir = Folder("island", crashSafe);
        ASSERT_EQ(Session(dir, {"join alice " + std::to_string(kAlice), kGiveBelongings[0], kGiveBelongings[1],
                                "join bob " + std::to_string(kBob), "give bob PrimalItemArmor_ClothShirt",
                                "chat bob /savevault loot", "quit"}),
                  0)
            << lastOutput;
        const std::string row =
            db.Scalar("SELECT CONCAT(id, ' ', dtinsert) FROM u_vault WHERE steamid = " + std::to_string(kBob));

        ASSERT_EQ(Session(dir, {"join alice " + std::to_string(kAlice), "join bob " + std::to_string(kBob),
                                "chat alice /savevault base", "chat bob /loadvault loot", "inv alice", "inv bob", "crash"}),
                  137)
            << lastOutput;

        auto server = Start(dir);
        auto& alice = server->Join("alice", kAlice);
        auto& bob = server->Join("bob", kBob);
        if (crashSafe) {
            EXPECT_EQ(InventoryOf(alice), kBelongings);
            EXPECT_EQ(Vault(kAlice), Holdings{});
            EXPECT_EQ(InventoryOf(bob), Holdings{});
            EXPECT_EQ(Vault(kBob), kShirt);
            EXPECT_EQ(db.Scalar("SELECT CONCAT(id, ' ', dtinsert) FROM u_vault WHERE steamid = " + std::to_string(kBob)),
                      row)
                << "the row is back as it was";
            // The restarted server's vault commands work on what the recovery left.
            EXPECT_EQ(Say(*server, bob, "/loadvault loot"), Strings{});
            EXPECT_EQ(Sum(InventoryOf(bob), Vault(kBob)), kShirt);
        } else {
            EXPECT_EQ(Sum(InventoryOf(alice), Vault(kAlice)), Sum(kBelongings, kBelongings)) << "duplicated";
            EXPECT_EQ(Sum(InventoryOf(bob), Vault(kBob)), Holdings{}) << "lost";
        }
        server.reset();
        db.Exec("DELETE FROM u_vault");
    }
}

// A save on one server, then a crash before its world save; meanwhile another server loaded the
// vault (all of one row, part of the other). The rows cannot be taken back, so the items leave
// the restored character when the player joins the restarted server.
TEST_F(CrashSafeTest, ItemsLoadedElsewhereLeaveTheRestoredCharacter) {
    const fs::path a = Folder("isle-a");
    const fs::path b = Folder("isle-b");
    ASSERT_EQ(Session(a, {"join alice " + std::to_string(kAlice), kGiveBelongings[0], kGiveBelongings[1], "saveworld",
                          "chat alice /savevault base", "crash"}),
              137)
        << lastOutput;

    Holdings onB;
    {
        auto server = Start(b);
        auto& alice = server->Join("alice", kAlice);
        alice.SetInventoryCapacity(2);  // the hatchet and one stack of 100 wood
        EXPECT_EQ(Say(*server, alice, "/loadvault base"), Strings{});
        onB = InventoryOf(alice);
        EXPECT_EQ(onB, (Holdings{{"PrimalItem_WeaponStoneHatchet", 1}, {"PrimalItemResource_Wood", 100}}));
        server->SaveWorld();
    }

    auto server = Start(a);
    server->ClearLog();
    auto& alice = server->Join("alice", kAlice);
    EXPECT_EQ(InventoryOf(alice), Holdings{}) << "both saved stacks were taken from the vault elsewhere";
    EXPECT_EQ(Vault(kAlice), (Holdings{{"PrimalItemResource_Wood", 150}}));
    EXPECT_EQ(Sum(onB, Vault(kAlice)), kBelongings) << "each item once";
    int told = 0;
    for (const auto& line : server->LogLines())
        told += line.find("of the 2 items player " + std::to_string(kAlice) +
                          " saved before the crash (journal entry 1), 0 stay in the restored inventory, 2 left it") !=
                std::string::npos;
    EXPECT_EQ(told, 1);

    // Joining again, or a restart before the next world save, takes nothing more.
    server->Leave("alice");
    EXPECT_EQ(InventoryOf(server->Join("alice", kAlice)), Holdings{});
    server->SaveWorld();
    server.reset();
    server = Start(a);
    EXPECT_EQ(InventoryOf(server->Join("alice", kAlice)), Holdings{});
    EXPECT_EQ(db.Scalar("SELECT COUNT(*) FROM u_vault_journal WHERE server_id = 'isle-a'"), "0")
        << "the world save after the unwind dropped it";
}

// An item made after the last world save (crafted, looted, handed out) and saved before a crash:
// the restored character never had it, so its row is the only copy and stays in the vault.
TEST_F(CrashSafeTest, AnItemMadeAfterTheWorldSaveStaysInTheVault) {
    const fs::path dir = Folder("island");
    ASSERT_EQ(Session(dir, {"join alice " + std::to_string(kAlice), "give alice PrimalItemArmor_ClothShirt", "saveworld",
                            kGiveBelongings[0], kGiveBelongings[1], "chat alice /savevault base", "crash"}),
              137)
        << lastOutput;
    auto server = Start(dir);
    auto& alice = server->Join("alice", kAlice);
    EXPECT_EQ(InventoryOf(alice), kShirt);
    EXPECT_EQ(Vault(kAlice), kBelongings);
    EXPECT_EQ(Say(*server, alice, "/loadvault base"), Strings{});
    EXPECT_EQ(InventoryOf(alice), Sum(kShirt, kBelongings));
}

// A crash inside the world save: before the new file replaced the old one, the old world comes
// back and the save is undone; right after it, the new world holds the save, which stays.
TEST_F(CrashSafeTest, CrashInsideTheWorldSave) {
    for (const char* at : {"before", "after"}) {
        SCOPED_TRACE(at);
        const fs::path dir = Folder("island");
        ASSERT_EQ(Session(dir, {"join alice " + std::to_string(kAlice), kGiveBelongings[0], kGiveBelongings[1], "saveworld",
                                "chat alice /savevault base", std::string("crashinsave ") + at}),
                  137)
            << lastOutput;
        auto server = Start(dir);
        auto& alice = server->Join("alice", kAlice);
        const bool landed = std::string(at) == "after";
        EXPECT_EQ(InventoryOf(alice), landed ? Holdings{} : kBelongings);
        EXPECT_EQ(Vault(kAlice), landed ? kBelongings : Holdings{});
        server.reset();
        db.Exec("DELETE FROM u_vault");
    }
}

// Reloading the plugin is no restart: the running world holds the moves, so the unload saves the
// world first and nothing is undone, then or at a later crash.
TEST_F(CrashSafeTest, ReloadUndoesNothing) {
    const fs::path dir = Folder("island");
    auto server = Start(dir);
    auto& alice = server->Join("alice", kAlice);
    Sim::ItemSpec shirt;
    shirt.className = "PrimalItemArmor_ClothShirt";
    server->Give(alice, shirt);
    ASSERT_EQ(Say(*server, alice, "/savevault base"), Strings{});
    const double before = server->LastSaveWorldTime();
    server->ReloadPlugin();
    EXPECT_GT(server->LastSaveWorldTime(), before) << "the unload saved the world";
    EXPECT_EQ(InventoryOf(alice), Holdings{});
    EXPECT_EQ(Vault(kAlice), kShirt);

    server.reset();  // as a crash: no world save of its own
    server = Start(dir);
    EXPECT_EQ(Sum(InventoryOf(server->Join("alice", kAlice)), Vault(kAlice)), kShirt);
}

// Until the recovery has run, the vault commands answer that the store is unavailable, send
// nothing to the database, and the recovery is tried again at the first command after
// reconnectInterval.
TEST_F(CrashSafeTest, VaultCommandsWaitForTheRecovery) {
    TestSupport::Relay relay(db.Params().port);
    const fs::path dir = Folder("island");
    auto config = TestSupport::DefaultConfig(db.Params());
    config["crashSafe"] = true;
    config["serverId"] = "island";
    config["mysqlPort"] = relay.Port();
    config["reconnectInterval"] = 1;
    WriteConfig(dir, config);
    relay.DropBefore("SELECT saved_at");  // the recovery's first statement, and its resend
    relay.DropBefore("SELECT saved_at");
    auto server = Start(dir);
    ASSERT_FALSE(relay.Armed());
    auto& alice = server->Join("alice", kAlice);
    Sim::ItemSpec shirt;
    shirt.className = "PrimalItemArmor_ClothShirt";
    server->Give(alice, shirt);

    relay.ClearStatements();
    EXPECT_EQ(Say(*server, alice, "/savevault base"), kUnavailable);
    EXPECT_EQ(Say(*server, alice, "/loadvault base"), kUnavailable);
    EXPECT_EQ(Say(*server, alice, "/listvault"), kUnavailable);
    EXPECT_EQ(relay.StatementCount(), 0);
    EXPECT_EQ(InventoryOf(alice), kShirt);

    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    EXPECT_EQ(Say(*server, alice, "/savevault base"), Strings{});
    EXPECT_EQ(Vault(kAlice), kShirt);
    EXPECT_EQ(InventoryOf(alice), Holdings{});
}

// crashSafe needs a server id to journal under: without a usable one the plugin does not load.
TEST_F(CrashSafeTest, CrashSafeWithoutAServerIdDoesNotLoad) {
    const struct {
        nlohmann::ordered_json id;
        const char* said;
    } cases[] = {
        {nullptr, "config.json: serverId: is required when crashSafe is true; the plugin does not load"},
        {"", "config.json: serverId: is required when crashSafe is true; the plugin does not load"},
        {"isle one", "config.json: serverId: may hold only letters, digits, '_', '-' and '.'; the plugin does not load"},
        {std::string(65, 'x'), "config.json: serverId: must be at most 64 characters, not 65; the plugin does not load"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.said);
        const fs::path dir = Folder("island");
        auto config = TestSupport::DefaultConfig(db.Params());
        config["crashSafe"] = true;
        config.erase("serverId");
        if (!c.id.is_null()) config["serverId"] = c.id;
        WriteConfig(dir, config);
        auto server = Start(dir);
        EXPECT_TRUE(server->ChatCommands().empty());
        int said = 0;
        for (const auto& line : server->LogLines()) said += line.find(c.said) != std::string::npos;
        EXPECT_EQ(said, 1);
    }
}

}  // namespace
