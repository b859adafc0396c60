#include "support/TestConfig.h"

namespace TestSupport {

nlohmann::ordered_json DefaultConfig(const DbParams& db) {
    using json = nlohmann::ordered_json;
    json config = json::object();
    config["Database"] = {
        {"mysqlHost", db.host}, {"mysqlUser", db.user}, {"mysqlPass", db.password}, {"mysqlDB", db.database}};
    config["mysqlPort"] = db.port;
    config["decay"] = 60;
    config["queryTimeout"] = 10;
    config["reconnectTimeout"] = 3;
    config["reconnectInterval"] = 30;
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
        {"sender", "Vault"},
        {"coolDown", "Wait {} seconds"},
        {"noPermission", "No permission"},
        {"mustBeNearTransmiter", "Stand near a transmitter"},
        {"wrongSyntax", "Use {} <name>"},
        {"noPoints", "Not enough points"},
        {"points", "{} points taken"},
        {"maximumReached", "Inventory full after {} items"},
        {"vaultNotFound", "Vault not found"},
        {"inventoryFull", "Inventory full"},
        {"vaultList", "{}: {} items, {} left\n"},
        {"noVault", "No vaults"},
        {"PVPVECooldown", "Combat cooldown: {} seconds"},
        {"storeUnavailable", "Store unavailable"},
    };
    return config;
}

}  // namespace TestSupport
