#pragma once
// The text of a config.json with the plugin's database connection pointed elsewhere, and nothing
// else changed: a byte-order mark, keys given twice, text after the object all stay, so the
// plugin finds in it every problem it would find in the original.
#include <string>

namespace LockburyServer {

// Where the original text sends the plugin: "Database"."mysqlHost" and the top-level
// "mysqlPort", as far as they are of a type the plugin would use (the last one counts when a key
// is given twice). A host of "" or "localhost" means the server's local socket.
struct DatabaseAddress {
    std::string host;
    unsigned port = 3306;
};
DatabaseAddress AddressOf(const std::string& configText);

// The text with every top-level "mysqlPort" number and every "mysqlHost" text of the top-level
// "Database" object replaced, and each added where it is missing. Values of another type are
// left as they are: the plugin stops on them before it connects.
std::string WithDatabaseAt(const std::string& configText, const std::string& host, unsigned port);

}  // namespace LockburyServer
