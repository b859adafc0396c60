#pragma once
// A simulated server over a fresh temporary server folder, removed at the end of the test.
#include <nlohmann/json.hpp>

#include <filesystem>
#include <string>
#include <vector>

#include "Sim/Server.h"

namespace TestSupport {

class PluginServer : public Sim::Server {
public:
    explicit PluginServer(Sim::ServerOptions options = {});
    ~PluginServer();

    const std::filesystem::path& Dir() const { return dir_; }
    std::filesystem::path PluginDir() const { return dir_ / "ArkApi" / "Plugins" / "Lockbury"; }
    void WriteConfig(const nlohmann::ordered_json& config);
    void WriteConfigText(const std::string& text);
    // Loads the real plugin library.
    void Load();

private:
    static std::filesystem::path MakeFolder();
    PluginServer(std::filesystem::path dir, Sim::ServerOptions options);

    std::filesystem::path dir_;
};

// The texts the player was shown, in order.
std::vector<std::string> Texts(const Sim::Player& player);
// Log lines without their date and time ("[Lockbury][error] ...").
std::vector<std::string> LogTail(const Sim::Server& server);

}  // namespace TestSupport
