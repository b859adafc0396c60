#include "support/PluginTest.h"

#include <algorithm>

#include "HostRuntime/HostState.h"
#include "support/TestConfig.h"
#include "support/ThrowawayServer.h"

namespace TestSupport {
namespace {

bool IsErrorLine(const std::string& line) {
    return line.find("][error] ") != std::string::npos || line.find("][critical] ") != std::string::npos;
}

std::string Listed(const Strings& lines) {
    std::string text;
    for (const auto& line : lines) text += "\n  " + line;
    return text;
}

// The line the store logs at load when its database cannot be reached; the set-up statements it
// then cannot run are logged from the store's own code.
constexpr const char* kStoreDown = "Failed to open connection!";
bool FromStoreSetUp(const std::string& line) {
    return line.find(kStoreDown) != std::string::npos || line.find("(Database/") != std::string::npos;
}

}  // namespace

Strings Player::TextsFrom(std::size_t first) const {
    Strings texts;
    const auto& received = player_.Received();
    for (std::size_t i = std::min(first, received.size()); i < received.size(); ++i) texts.push_back(received[i].text);
    return texts;
}

Strings Player::Answer(const std::string& line, bool (Sim::Server::*send)(Sim::Player&, const std::string&)) {
    read_ = player_.Received().size();  // what came before is no answer to this line
    EXPECT_TRUE((server_.*send)(player_, line)) << "no command took \"" << line << "\"";
    return Told();
}

Strings Player::Types(const std::string& line) { return Answer(line, &Sim::Server::Chat); }
Strings Player::Console(const std::string& line) { return Answer(line, &Sim::Server::Console); }

Strings Player::Told() {
    if (read_ > player_.Received().size()) read_ = 0;  // the test cleared what the player had been shown
    answerStart_ = read_;
    Strings texts = TextsFrom(read_);
    read_ = player_.Received().size();
    return texts;
}

const Sim::Output& Player::Shown(std::size_t index) const {
    static const Sim::Output none;
    const auto& received = player_.Received();
    if (answerStart_ + index >= received.size()) {
        ADD_FAILURE() << player_.Name() << " was shown no line " << index << " in the last answer";
        return none;
    }
    return received[answerStart_ + index];
}

::testing::AssertionResult Player::WasTold(const std::string& text) const {
    const Strings texts = TextsFrom(0);
    if (std::find(texts.begin(), texts.end(), text) != texts.end()) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << player_.Name() << " was not told \"" << text << "\"; only:" << Listed(texts);
}

::testing::AssertionResult Player::Holds(const Item& item) const {
    const Sim::ItemSpec& want = item.Spec();
    Strings stacks;
    for (const Sim::ItemView& have : player_.Inventory()) {
        if (have.className == want.className && have.quantity == want.quantity && have.slot == want.slot &&
            have.engram == want.engram && have.initial == want.initial &&
            (!want.durability || have.durability == *want.durability) &&
            (want.payload.empty() || have.payload == want.payload)) {
            return ::testing::AssertionSuccess();
        }
        stacks.push_back(have.className + " x" + std::to_string(have.quantity) + " durability " +
                         std::to_string(have.durability) + " slot " + std::to_string(have.slot) +
                         (have.engram ? " engram" : "") + (have.initial ? " initial" : "") + " payload " +
                         std::to_string(have.payload.size()) + " bytes");
    }
    return ::testing::AssertionFailure() << player_.Name() << " holds no " << want.className << " x" << want.quantity
                                         << " as asked; the inventory:" << Listed(stacks);
}

Sim::ItemView Player::Stack(const std::string& className) const {
    for (const Sim::ItemView& item : player_.Inventory())
        if (item.className == className) return item;
    ADD_FAILURE() << player_.Name() << " holds no " << className;
    return {};
}

int Player::Count(const std::string& className) const {
    int count = 0;
    for (const Sim::ItemView& item : player_.Inventory())
        if (item.className == className) count += item.quantity;
    return count;
}

Strings Player::Classes() const {
    Strings classes;
    for (const Sim::ItemView& item : player_.Inventory()) classes.push_back(item.className);
    std::sort(classes.begin(), classes.end());
    return classes;
}

PluginTest::PluginTest() {
    config = DefaultConfig({"127.0.0.1", "lockbury", "lockbury", "lockbury", 0});
    StoreDown();
    // Every line, also those a test clears from the server's log before the end.
    HostRuntime::SetLogEcho([this](const std::string& line) {
        if (!IsErrorLine(line)) return;
        std::lock_guard lock(mutex_);
        errorLines_.push_back(line);
    });
}

PluginTest::~PluginTest() { HostRuntime::SetLogEcho(nullptr); }

void PluginTest::StoreDown() {
    config["mysqlPort"] = ThrowawayServer::FreePort();
    storeReachable_ = false;
}

void PluginTest::Start() {
    server.WriteConfig(config);
    std::size_t before = 0;
    {
        std::lock_guard lock(mutex_);
        before = errorLines_.size();
    }
    server.Load();
    server.ClearLog();
    if (storeReachable_) return;
    // The store saying at load that it is down is what this configuration is for.
    std::lock_guard lock(mutex_);
    const auto load = errorLines_.begin() + static_cast<std::ptrdiff_t>(before);
    EXPECT_TRUE(std::any_of(load, errorLines_.end(), [](const std::string& line) {
        return line.find(kStoreDown) != std::string::npos;
    })) << "the store did not report its database unreachable at load";
    errorLines_.erase(std::remove_if(load, errorLines_.end(), FromStoreSetUp), errorLines_.end());
}

Player& PluginTest::Join(const std::string& name, std::uint64_t steamId) {
    if (Sim::Player* here = server.Find(name)) {
        EXPECT_TRUE(steamId == 0 || steamId == here->SteamId())
            << name << " is on the server already, with the steam id " << here->SteamId() << ", not " << steamId;
        nextSteamId_ = std::max(nextSteamId_, here->SteamId() + 1);
        for (Player& player : players_)
            if (&*player == here) return player;
        return players_.emplace_back(server, *here);
    }
    if (steamId == 0) steamId = nextSteamId_;
    nextSteamId_ = std::max(nextSteamId_, steamId + 1);
    return players_.emplace_back(server, server.Join(name, steamId));
}

void PluginTest::ExpectErrorLog(std::string text) {
    std::lock_guard lock(mutex_);
    expectedErrors_.push_back(std::move(text));
}

int PluginTest::LogLinesContaining(const std::string& text) const {
    const auto& lines = server.LogLines();
    return static_cast<int>(std::count_if(lines.begin(), lines.end(),
                                          [&](const std::string& line) { return line.find(text) != std::string::npos; }));
}

float PluginTest::Damage(Player* victim, Player* source, float amount) {
    return server.Damage(victim ? &**victim : nullptr, source ? &**source : nullptr, amount);
}

void PluginTest::TearDown() {
    if (server.PluginLoaded()) {
        try {
            server.UnloadPlugin();
        } catch (const std::exception& error) {
            ADD_FAILURE() << "unloading the plugin: " << error.what();
        }
    }
    const Strings escaped = server.EscapedErrors();
    EXPECT_TRUE(escaped.empty()) << "errors escaped into the host:" << Listed(escaped);

    std::lock_guard lock(mutex_);
    Strings unexpected, missing = expectedErrors_;
    for (const std::string& line : errorLines_) {
        // The most precise declaration the line fits, so a loose one does not take a line meant
        // for a precise one.
        auto match = missing.end();
        for (auto it = missing.begin(); it != missing.end(); ++it)
            if (line.find(*it) != std::string::npos && (match == missing.end() || it->size() > match->size())) match = it;
        if (match == missing.end())
            unexpected.push_back(line);
        else
            missing.erase(match);
    }
    EXPECT_TRUE(unexpected.empty()) << "error lines no test declared (ExpectErrorLog):" << Listed(unexpected);
    EXPECT_TRUE(missing.empty()) << "declared error lines that never came:" << Listed(missing);
}

PluginStoreTest::PluginStoreTest() {
    config = DefaultConfig(db.Params());
    storeReachable_ = true;
}

std::vector<StoredRow> PluginStoreTest::Rows(std::uint64_t steamId, const std::string& vault) const {
    std::string sql =
        "SELECT id, vaultname, itemname, itemdata, blueprint, qtd FROM u_vault WHERE steamid = " + std::to_string(steamId);
    if (!vault.empty()) sql += " AND vaultname = '" + vault + "'";
    std::vector<StoredRow> rows;
    for (const Row& r : db.Query(sql + " ORDER BY id")) {
        auto at = [&](std::size_t i) { return r.at(i).value_or(""); };
        rows.push_back({at(0), at(1), at(2), at(3), at(4), at(5)});
    }
    return rows;
}

Holdings PluginStoreTest::HoldingsOf(const Player& player) const {
    Holdings held = Holdings::InInventory(*player);
    held += Holdings::InRows(Rows(player));
    return held;
}

}  // namespace TestSupport
