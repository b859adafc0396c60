#include "ConfigCheck.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <poll.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstddef>
#include <fstream>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>
#include <thread>
#include <vector>

#include "ConfigDatabasePatch.h"
#include "Database/ServerName.h"
#include "Database/StoreLog.h"
#include "DatabaseProbe.h"
#include "Sim/Server.h"

namespace LockburyServer {

namespace {

using json = nlohmann::ordered_json;

constexpr unsigned kTimeoutSeconds = 5;
const char* const kConfigFile = "ArkApi/Plugins/Lockbury/config.json";

// What crash safety would do at this start: the moves of this server that no world save covers
// yet are the ones a start from an older world rolls back.
void PrintCrashSafety(Printer& printer, const json& config, DatabaseProbe& probe) {
    if (!config.contains("crashSafe") || config["crashSafe"] != true) return;
    const std::string id =
        config.contains("serverId") && config["serverId"].is_string() ? config["serverId"].get<std::string>() : "";
    if (!ServerName::IsWellFormed(id)) {
        printer.Line("crash safety: on, without a usable serverId: the load stops");
        return;
    }
    const auto journaled = probe.Survey().JournaledMoves(id);
    printer.Line(
        "crash safety: on, server id \"" + id + "\": " +
        (journaled ? std::to_string(*journaled) +
                         " journaled moves of this server, rolled back only if the world it starts from is older than them"
                   : "the load would create the journal tables"));
}

// Where the store works: on the game thread, or on a thread of its own.
void PrintStoreThread(Printer& printer, const json& config) {
    const bool on = config.contains("storeThread") && config["storeThread"] == true;
    printer.Line(on ? "store thread: on: vault commands hand their moves to a thread of their own; the game thread waits "
                      "for the store only at a world save"
                    : "store thread: off: every vault command waits for the database on the game thread");
}

// What the move log would be: how long its records stay, and under which server name.
void PrintMoveLog(Printer& printer, const json& config, DatabaseProbe& probe) {
    const json days = config.contains("logDays") ? config["logDays"] : json(30);
    // The plugin's rule: a well-formed serverId, else the host name with other characters as "_".
    const std::string id =
        config.contains("serverId") && config["serverId"].is_string() ? config["serverId"].get<std::string>() : "";
    std::array<char, 256> host{};
    const std::string hostName = gethostname(host.data(), host.size() - 1) == 0 ? std::string(host.data()) : "";
    const std::string name =
        ServerName::ForMoveLog(id, hostName) + (ServerName::IsWellFormed(id) || hostName.empty() ? "" : " (the host name)");
    StoreSurvey& survey = probe.Survey();
    const auto records = survey.MoveLogRecords();
    const std::string kept = days.is_number() && days.get<double>() >= 1
                                 ? "records kept " + days.dump() + " days, pruned hourly by the event Vault_Log_Prune"
                                 : "records kept for ever (logDays " + days.dump() + ")";
    const auto refusal = config.contains("decay") && config["decay"].is_number() ? survey.TriggerRefusal() : std::nullopt;
    if (refusal) {
        printer.Line(survey.DecayTriggerExists()
                         ? "move log: the trigger u_vault_log_removed exists, but a load that must make it again (another "
                           "decay) would fail (" +
                               *refusal + ")"
                         : "move log: the load would fail to create the trigger u_vault_log_removed (" + *refusal +
                               "): decays would not be recorded, and each start logs a critical line");
    }
    printer.Line("move log: server name \"" + name + "\", " + kept + ", " +
                 (records ? "table u_vault_log holds " + std::to_string(*records) + " records"
                          : "the load would create the tables u_vault_log and u_vault_log_items") +
                 (config.contains("decay") && config["decay"].is_number()
                      ? "; decays are recorded by the trigger u_vault_log_removed"
                      : "; without a decay the trigger u_vault_log_removed is left as it is"));
}

// On a Galera node: which node, and the claim table that lets one server at a time make the
// trigger. Nothing on one server.
void PrintCluster(Printer& printer, DatabaseProbe& probe) {
    const auto node = probe.Survey().Node();
    if (!node) return;
    const auto claims = probe.Survey().SetupClaims();
    printer.Line("cluster: Galera node " + node->name + " of " + node->size +
                 "; a load that must make the trigger u_vault_log_removed first claims it in the table u_vault_setup (" +
                 (claims ? "it holds " + std::to_string(*claims) + " claims" : "the load would create it") + ")");
}

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

std::optional<std::string> ReadText(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The configuration as far as it parses (its first value), or null.
json Lenient(const std::optional<std::string>& text) {
    if (!text) return nullptr;
    try {
        std::istringstream in(*text);
        json config;
        in >> config;
        return config;
    } catch (const std::exception&) {
        return nullptr;
    }
}

// A loopback port that takes each connection and closes it at once, for as long as this object
// lives: the plugin's store fails to connect without waiting, and the port tells whether it tried.
class ClosingPort {
public:
    ClosingPort() {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof addr;
        if (fd_ < 0 || ::bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(fd_, 8) != 0 ||
            ::getsockname(fd_, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
            if (fd_ >= 0) ::close(fd_);
            throw std::runtime_error("no free loopback port for the check");
        }
        port_ = ntohs(addr.sin_port);
        closer_ = std::thread([this] {
            while (!stop_) {
                pollfd p{fd_, POLLIN, 0};
                if (::poll(&p, 1, 20) <= 0) continue;
                const int client = ::accept(fd_, nullptr, nullptr);
                if (client < 0) continue;
                ++taken_;  // counted before the client can hear of it
                ::close(client);
            }
        });
    }
    ~ClosingPort() {
        stop_ = true;
        closer_.join();
        ::close(fd_);
    }
    ClosingPort(const ClosingPort&) = delete;
    ClosingPort& operator=(const ClosingPort&) = delete;
    unsigned Port() const { return port_; }
    bool Tried() const { return taken_ > 0; }

private:
    int fd_ = -1;
    unsigned port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<int> taken_{0};
    std::thread closer_;
};

// A copy of the server folder holding only the configuration, removed at the end.
class CheckFolder {
public:
    explicit CheckFolder(const std::string& configText) {
        static int counter = 0;
        dir_ = std::filesystem::temp_directory_path() /
               ("lockbury-check-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        std::filesystem::create_directories(dir_ / "ArkApi/Plugins/Lockbury");
        std::ofstream(dir_ / kConfigFile, std::ios::binary) << configText;
    }
    ~CheckFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
    CheckFolder(const CheckFolder&) = delete;
    CheckFolder& operator=(const CheckFolder&) = delete;
    const std::filesystem::path& Dir() const { return dir_; }

private:
    std::filesystem::path dir_;
};

// What one load left registered with the host, and every line the plugin logged on the way.
struct Loaded {
    std::vector<std::string> hooks, console, rcon, chat, log;
    bool storeTried = false;  // the store connected (to the check's port): the load went as far as the database
};

// Loads the plugin and unloads it again: on a copy of the folder holding only this configuration,
// with the plugin's connection sent to a port that closes it, or, without one, on the folder as
// it is (the plugin stops at once there).
Loaded LoadOnce(const std::filesystem::path& plugin, const std::filesystem::path& serverDir,
                const std::optional<std::string>& configText) {
    ClosingPort closing;
    std::optional<CheckFolder> copy;
    if (configText) copy.emplace(WithDatabaseAt(*configText, "127.0.0.1", closing.Port()));
    Sim::Server server(copy ? copy->Dir() : serverDir);
    try {
        server.LoadPlugin(plugin);
    } catch (const std::exception& e) {
        throw std::runtime_error("cannot load the plugin library " + plugin.string() + ": " + e.what());
    }
    Loaded loaded{server.Hooks(),        server.ConsoleCommands(), server.RconCommands(),
                  server.ChatCommands(), server.LogLines(),        closing.Tried()};
    server.UnloadPlugin();
    return loaded;
}

// The store's lines of a load whose connection the check closed: they say only that the database
// could not be reached, which the check caused.
bool CausedByTheCheck(const Loaded& loaded, const std::string& line) {
    return loaded.storeTried && StoreLog::IsStoreLine(line);
}

// "commands".key."command" when it is a text; nothing when the entry gives none.
std::optional<std::string> CommandText(const json& config, const std::string& key) {
    if (!config.is_object() || !config.contains("commands") || !config["commands"].is_object()) return std::nullopt;
    const json& commands = config["commands"];
    if (!commands.contains(key) || !commands[key].is_object()) return std::nullopt;
    const json& entry = commands[key];
    if (!entry.contains("command") || !entry["command"].is_string()) return std::nullopt;
    return entry["command"].get<std::string>();
}

// The plugin's registrations when its load goes through, read back from the host after a load
// on the sample configuration, which gives every key; each chat command by the key of "commands"
// whose text it is, in the order the plugin registers them.
struct FullLoad {
    std::vector<std::string> hooks, console, rcon, chatKeys;
};

FullLoad LoadOnSample(const std::filesystem::path& plugin, const std::filesystem::path& sample) {
    const std::optional<std::string> text = ReadText(sample);
    if (!text) throw std::runtime_error("cannot read the sample configuration " + sample.string());
    const Loaded loaded = LoadOnce(plugin, sample.parent_path(), text);
    for (const auto& line : loaded.log) {
        if (IsErrorLine(line) && !CausedByTheCheck(loaded, line))
            throw std::runtime_error("the sample configuration " + sample.string() +
                                     " does not load cleanly: " + Trimmed(line));
    }
    const json config = Lenient(text);
    FullLoad full{loaded.hooks, loaded.console, loaded.rcon, {}};
    for (const auto& registered : loaded.chat) {
        std::optional<std::string> key;
        if (config.contains("commands") && config["commands"].is_object()) {
            for (const auto& entry : config["commands"].items()) {
                if (CommandText(config, entry.key()) != registered) continue;
                key = entry.key();
                break;
            }
        }
        if (!key)
            throw std::runtime_error("the sample configuration " + sample.string() +
                                     " gives no key for the chat command \"" + registered + "\"");
        full.chatKeys.push_back(*key);
    }
    return full;
}

}  // namespace

ConfigCheck::ConfigCheck(std::filesystem::path serverDir, std::filesystem::path plugin, std::filesystem::path sampleConfig,
                         Printer& printer)
    : serverDir_(std::move(serverDir)),
      plugin_(std::move(plugin)),
      sampleConfig_(std::move(sampleConfig)),
      printer_(printer) {}

int ConfigCheck::Run() {
    printer_.Line("config: " + (serverDir_ / kConfigFile).string());
    const std::optional<std::string> text = ReadText(serverDir_ / kConfigFile);
    bool allWell = true;
    bool storeMade = false;
    try {
        storeMade = LoadAndReport(text, allWell);
    } catch (const std::exception& e) {
        printer_.Line(std::string("error: ") + e.what());
        return 1;
    }
    const bool database = CheckDatabase(storeMade);
    return allWell && database ? 0 : 1;
}

bool ConfigCheck::LoadAndReport(const std::optional<std::string>& text, bool& allWell) {
    const FullLoad full = LoadOnSample(plugin_, sampleConfig_);
    const Loaded loaded = LoadOnce(plugin_, serverDir_, text);

    std::vector<std::string> problems, errors;
    const bool storeMade = loaded.storeTried;
    for (const auto& line : loaded.log) {
        if (CausedByTheCheck(loaded, line)) continue;
        if (!IsErrorLine(line)) continue;
        const auto at = line.find("config.json: ");
        if (at != std::string::npos) {
            problems.push_back(Trimmed(line.substr(at + 13)));
        } else {
            errors.push_back(Trimmed(line));
        }
    }

    // Options may add hooks (crash safety hooks the world save and the join); none may be missing.
    const bool everyHook = std::all_of(full.hooks.begin(), full.hooks.end(), [&](const std::string& hook) {
        return std::find(loaded.hooks.begin(), loaded.hooks.end(), hook) != loaded.hooks.end();
    });
    const bool complete = everyHook && loaded.console == full.console && loaded.rcon == full.rcon &&
                          loaded.chat.size() == full.chatKeys.size();
    allWell = complete && problems.empty() && errors.empty();

    printer_.Line(std::string("load: ") + (!complete ? "FAILED" : allWell ? "ok" : "completed with errors"));
    if (!problems.empty()) {
        printer_.Line("configuration problems (" + std::to_string(problems.size()) + "):");
        for (const auto& problem : problems) printer_.Line("  " + problem);
    }
    for (const auto& line : errors) printer_.Line("  [log] " + line);

    printer_.Line("hook: " + Joined(loaded.hooks));
    printer_.Line("console commands: " + Joined(loaded.console));
    printer_.Line("rcon commands: " + Joined(loaded.rcon));
    // This load's chat commands are the full load's in the same order, less those refused (a text
    // another command has) and those after the entry the load stopped at. A key whose entry gives
    // no text owns the next one unless a later key gives that text.
    const json config = Lenient(text);
    std::size_t next = 0;
    for (std::size_t i = 0; i < full.chatKeys.size(); ++i) {
        const std::string& key = full.chatKeys[i];
        bool own = false;
        if (next < loaded.chat.size()) {
            if (const auto configured = CommandText(config, key)) {
                own = *configured == loaded.chat[next];
            } else {
                own =
                    std::none_of(full.chatKeys.begin() + static_cast<std::ptrdiff_t>(i) + 1, full.chatKeys.end(),
                                 [&](const std::string& later) { return CommandText(config, later) == loaded.chat[next]; });
            }
        }
        printer_.Line("chat command " + key + ": " + (own ? "\"" + loaded.chat[next++] + "\"" : "not registered"));
    }
    return storeMade;
}

bool ConfigCheck::CheckDatabase(bool storeMade) {
    DatabaseTarget target;
    json config;
    try {
        const auto text = ReadText(serverDir_ / kConfigFile);
        if (!text) throw std::runtime_error("config.json cannot be opened");
        std::istringstream in(*text);
        in >> config;
        const json& db = config.at("Database");
        target.host = db.value("mysqlHost", "");
        target.user = db.value("mysqlUser", "");
        target.password = db.value("mysqlPass", "");
        target.database = db.value("mysqlDB", "");
        target.port = config.value("mysqlPort", 3306u);
        // What the plugin holds the game thread for at most when the database is in trouble.
        printer_.Line("store time-outs: statement " + std::to_string(config.value("queryTimeout", 10)) + " s, reconnect " +
                      std::to_string(config.value("reconnectTimeout", 3)) + " s, no new connection for " +
                      std::to_string(config.value("reconnectInterval", 30)) + " s after a failed one");
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
    const auto rows = probe.Survey().VaultRows();
    const auto event = probe.Survey().Decay();
    printer_.Line("database: answered (" + where +
                  (rows ? ", table u_vault holds " + std::to_string(*rows) + " rows" : ", no table u_vault") +
                  (event ? ", event Vault_Decay present" : ", no event Vault_Decay") + ")");

    if (!storeMade) {
        printer_.Line("the load stops before the database: nothing in it would change");
        return true;
    }
    printer_.Line(rows ? "the load would keep the table u_vault as it is" : "the load would create the table u_vault");
    PrintCrashSafety(printer_, config, probe);
    PrintMoveLog(printer_, config, probe);
    PrintStoreThread(printer_, config);
    PrintCluster(printer_, probe);
    if (!config.contains("decay") || !config["decay"].is_number()) {
        printer_.Line("the load would drop the event Vault_Decay and make none: vaults would not decay");
        return true;
    }
    const long long decay = config["decay"].get<long long>();
    if (event && event->decayMinutes) {
        const long long current = *event->decayMinutes;
        std::string line = "the load would replace the event Vault_Decay: vaults decay after " + std::to_string(decay) +
                           " minutes instead of " + std::to_string(current);
        if (decay < current)
            line += "; rows older than " + std::to_string(decay) + " minutes would be deleted at its next run";
        printer_.Line(decay == current ? "the event Vault_Decay already decays after " + std::to_string(decay) +
                                             " minutes: the load keeps it when it is this version's batched event, "
                                             "enabled, every 5 minutes, and otherwise makes that one (the same rows, "
                                             "a first run 5 minutes later)"
                                       : line);
    } else {
        printer_.Line("the load would make the event Vault_Decay: vaults decay after " + std::to_string(decay) +
                      " minutes");
    }
    return true;
}

}  // namespace LockburyServer
