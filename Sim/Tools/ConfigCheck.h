#pragma once
// lockbury-server --check-config DIR: loads the plugin from a server folder as the game server
// would at its next restart, and tells the administrator what came of it.
#include <filesystem>

#include "Printer.h"

namespace LockburyServer {

class ConfigCheck {
public:
    ConfigCheck(std::filesystem::path serverDir, std::filesystem::path plugin, Printer& printer);
    // Prints the report; returns the process exit status (0 only when all is well).
    int Run();

private:
    bool CheckDatabase();

    std::filesystem::path serverDir_;
    std::filesystem::path plugin_;
    Printer& printer_;
};

}  // namespace LockburyServer
