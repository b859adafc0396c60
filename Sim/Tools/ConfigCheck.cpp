#include "ConfigCheck.h"

#include <fstream>
#include <nlohmann/json.hpp>

#include "DatabaseProbe.h"
#include "Sim/Server.h"

namespace LockburyServer {

namespace {

// The chat commands in the order the plugin registers them.
const char* const kChatKeys[] = {"saveVault", "loadVault", "checkcd", "listVault"};
const char* const kConsoleCommands[] = {"makekit", "getkit", "dumps", "dumpi"};
constexpr unsigned kTimeoutSeconds = 5;

bool IsErrorLine(const std::string& line) {
    return line.find("][error]") != std::string::npos || line.find("][critical]") != std::string::npos;
}

std::string Trimmed(std::string line) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    return line;
}

std::string Joined(const std::vector<std::string>& items) {
    std::string out;
    for (const auto& item : items) out += (out.empty() ? "" : ", ") + item;
    return out.empty() ? "none" : out;
}

}  // namespace

ConfigCheck::ConfigCheck(std::filesystem::path serverDir, std::filesystem::path plugin, Printer& printer)
    : serverDir_(std::move(serverDir)), plugin_(std::move(plugin)), printer_(printer) {}

int ConfigCheck::Run() {
    printer_.Line("config: " + (serverDir_ / "ArkApi/Plugins/Lockbury/config.json").string());
    Sim::Server server(serverDir_);
    try {
        server.LoadPlugin(plugin_);
    } catch (const std::exception& e) {
        printer_.Line("error: cannot load the plugin library " + plugin_.string() + ": " + e.what());
        return 1;
    }

    std::vector<std::string> errors;
    for (const auto& line : server.LogLines())
        if (IsErrorLine(line)) errors.push_back(Trimmed(line));

    auto hooks = server.Hooks();
    auto console = server.ConsoleCommands();
    auto chat = server.ChatCommands();
    bool complete = hooks.size() == 1 && console.size() == std::size(kConsoleCommands) &&
                    chat.size() == std::size(kChatKeys);

    printer_.Line(std::string("load: ") + (!complete ? "FAILED" : errors.empty() ? "ok" : "completed with errors"));
    for (const auto& line : errors) printer_.Line("  [log] " + line);

    printer_.Line("hook: " + Joined(hooks));
    printer_.Line("console commands: " + Joined(console));
    // Chat commands are registered in a fixed order, so the n-th registered one is the n-th key.
    for (std::size_t i = 0; i < std::size(kChatKeys); ++i)
        printer_.Line(std::string("chat command ") + kChatKeys[i] + ": " +
                      (i < chat.size() ? "\"" + chat[i] + "\"" : std::string("not registered")));

    bool database = CheckDatabase();
    try {
        server.UnloadPlugin();
    } catch (const std::exception& e) {
        printer_.Line(std::string("error: unloading the plugin: ") + e.what());
        return 1;
    }
    return complete && errors.empty() && database ? 0 : 1;
}

bool ConfigCheck::CheckDatabase() {
    using json = nlohmann::ordered_json;
    DatabaseTarget target;
    try {
        std::ifstream file(serverDir_ / "ArkApi/Plugins/Lockbury/config.json");
        if (!file) throw std::runtime_error("config.json cannot be opened");
        json config;
        file >> config;
        const json& db = config.at("Database");
        target.host = db.value("mysqlHost", "");
        target.user = db.value("mysqlUser", "");
        target.password = db.value("mysqlPass", "");
        target.database = db.value("mysqlDB", "");
        target.port = config.value("mysqlPort", 3306u);
        // What the plugin holds the game thread for at most when the database is in trouble.
        printer_.Line("store time-outs: statement " + std::to_string(config.value("queryTimeout", 10)) +
                      " s, reconnect " + std::to_string(config.value("reconnectTimeout", 3)) +
                      " s, no new connection for " + std::to_string(config.value("reconnectInterval", 30)) +
                      " s after a failed one");
    } catch (const std::exception& e) {
        printer_.Line(std::string("database: not checked: ") + e.what());
        return false;
    }
    std::string where = target.user + "@" + target.host + ":" + std::to_string(target.port) + "/" + target.database;
    DatabaseProbe probe;
    if (!probe.Connect(target, kTimeoutSeconds)) {
        printer_.Line("database: did not answer (" + where + "): " + probe.Error());
        return false;
    }
    std::string detail;
    if (auto rows = probe.Scalar("SELECT COUNT(*) FROM u_vault"))
        detail += ", table u_vault holds " + *rows + " rows";
    else
        detail += ", no table u_vault";
    auto events = probe.Scalar(
        "SELECT COUNT(*) FROM information_schema.EVENTS WHERE EVENT_SCHEMA = DATABASE() AND EVENT_NAME = 'Vault_Decay'");
    detail += events && *events != "0" ? ", event Vault_Decay present" : ", no event Vault_Decay";
    printer_.Line("database: answered (" + where + detail + ")");
    return true;
}

}  // namespace LockburyServer
