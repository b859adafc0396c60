#include "bench/lockbury/BenchServer.h"

#include <nlohmann/json.hpp>

#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace Bench {
namespace {

std::filesystem::path MakeFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "lockbury-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary server folder");
    return pattern;
}

void WriteConfig(const std::filesystem::path& dir, const DbServer& db, const std::string& database) {
    using json = nlohmann::ordered_json;
    json config = json::object();
    config["Database"] = {{"mysqlHost", db.host}, {"mysqlUser", db.user}, {"mysqlPass", db.password},
                          {"mysqlDB", database}};
    config["mysqlPort"] = db.port;
    config["decay"] = BenchServer::kDecayMinutes;
    config["commandCoolDown"] = 0;
    config["PVPVECooldown"] = 60;
    config["radius"] = 1000;
    config["validTransmitter"] = json::array({"TekTransmitter"});
    config["nearTransmiterPoints"] = 0;
    config["blocked"] = json::array({"Element"});
    config["resources"] = json::array({"PrimalItemResource_"});
    config["commands"] = {
        {"saveVault", {{"command", "/savevault"}, {"requiredPermission", ""}, {"requireNearTransmiter", false}}},
        {"loadVault", {{"command", "/loadvault"}, {"requiredPermission", ""}, {"requireNearTransmiter", false}}},
        {"checkcd", {{"command", "/checkcd"}}},
        {"listVault", {{"command", "/listvault"}}},
    };
    config["messages"] = {
        {"sender", "Vault"}, {"coolDown", "Wait {} seconds"}, {"noPermission", "No permission"},
        {"mustBeNearTransmiter", "Stand near a transmitter"}, {"wrongSyntax", "Use {} <name>"},
        {"noPoints", "Not enough points"}, {"points", "{} points taken"},
        {"maximumReached", "Inventory full after {} items"}, {"vaultNotFound", "Vault not found"},
        {"inventoryFull", "Inventory full"}, {"vaultList", "{}: {} items, {} left\n"}, {"noVault", "No vaults"},
        {"PVPVECooldown", "Combat cooldown: {} seconds"},
    };
    const auto pluginDir = dir / "ArkApi" / "Plugins" / "Lockbury";
    std::filesystem::create_directories(pluginDir);
    std::ofstream out(pluginDir / "config.json", std::ios::binary | std::ios::trunc);
    out << config.dump(2);
    if (!out) throw std::runtime_error("cannot write config.json");
}

}  // namespace

BenchServer::BenchServer(const DbServer& db, const std::string& database) : BenchServer(MakeFolder(), db, database) {}

BenchServer::BenchServer(std::filesystem::path dir, const DbServer& db, const std::string& database)
    : Sim::Server(dir), dir_(std::move(dir)) {
    WriteConfig(dir_, db, database);
    LoadPlugin(LOCKBURY_PLUGIN_PATH);
}

BenchServer::~BenchServer() {
    try {
        if (PluginLoaded()) UnloadPlugin();
    } catch (...) {
    }
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
}

}  // namespace Bench
