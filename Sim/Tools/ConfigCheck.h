#pragma once
// lockbury-server --check-config DIR: loads the plugin from a server folder as the game server
// would at its next restart, and tells the administrator what came of it, without changing
// anything: the plugin's own connection is kept from the database, which is only read.
#include <filesystem>
#include <optional>
#include <string>

#include "Printer.h"

namespace LockburyServer {

class ConfigCheck {
public:
    // sampleConfig gives every key: loaded on it, the plugin shows what a complete load registers.
    ConfigCheck(std::filesystem::path serverDir, std::filesystem::path plugin, std::filesystem::path sampleConfig,
                Printer& printer);
    // Prints the report; returns the process exit status (0 only when all is well).
    int Run();

private:
    // Loads the plugin on a copy of the folder whose configuration sends its connection to a
    // port nothing answers on, and compares what it registered with what a complete load does;
    // returns whether the load went as far as making the store. Throws when the library could not
    // be loaded at all.
    bool LoadAndReport(const std::optional<std::string>& configText, bool& allWell);
    // Whether the database answers, what it holds, and what the load would change in it.
    bool CheckDatabase(bool storeMade);

    std::filesystem::path serverDir_;
    std::filesystem::path plugin_;
    std::filesystem::path sampleConfig_;
    Printer& printer_;
};

}  // namespace LockburyServer
