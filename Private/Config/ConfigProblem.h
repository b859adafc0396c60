#pragma once
#include <string>

namespace Lockbury {

// One thing wrong in config.json: where (a key path such as "commands.saveVault.command", empty
// for the file as a whole) and what. A problem that could destroy vaults or crash the server
// stops the load; the others are reported and the plugin works as it always has.
struct ConfigProblem {
    std::string path;
    std::string what;
    bool stopsLoad = false;

    // "config.json: <path>: <what>", the line the log and the configuration check show.
    std::string Line() const { return "config.json: " + (path.empty() ? std::string() : path + ": ") + what; }
};

}  // namespace Lockbury
