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
    ConfigCheck(std::filesystem::path serverDir, std::filesystem::path plugin, Printer& printer);
    // Prints the report; returns the process exit status (0 only when all is well).
    int Run();

private:
    // Loads the plugin on a copy of the folder whose configuration sends its connection to a
    // port nothing answers on; false when the library could not be loaded at all.
    bool LoadAndReport(const std::optional<std::string>& configText, bool& allWell);
    // Whether the database answers, what it holds, and what the load would change in it.
    bool CheckDatabase(bool storeMade);

    std::filesystem::path serverDir_;
    std::filesystem::path plugin_;
    Printer& printer_;
};

}  // namespace LockburyServer
