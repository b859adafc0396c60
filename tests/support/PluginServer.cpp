#include "PluginServer.h"

#include <cstdlib>
#include <fstream>
#include <random>
#include <stdexcept>

namespace TestSupport {

std::filesystem::path PluginServer::MakeFolder() {
    // A folder of a random name that did not exist (mkdtemp is POSIX only).
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::filesystem::path dir =
            std::filesystem::temp_directory_path() / ("lockbury-server-" + std::to_string(random()));
        if (!std::filesystem::create_directory(dir)) continue;
        std::filesystem::create_directories(dir / "ArkApi" / "Plugins" / "Lockbury");
        return dir;
    }
    throw std::runtime_error("cannot make a temporary server folder");
}

PluginServer::PluginServer(Sim::ServerOptions options) : PluginServer(MakeFolder(), options) {}

PluginServer::PluginServer(std::filesystem::path dir, Sim::ServerOptions options)
    : Sim::Server(dir, options), dir_(std::move(dir)) {
    // Cooldowns and decay times read in whole seconds; a test must not see a second tick between steps.
    FreezeClock();
}

PluginServer::~PluginServer() {
    if (PluginLoaded()) {
        try {
            UnloadPlugin();
        } catch (...) {
        }
    }
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
}

void PluginServer::WriteConfig(const nlohmann::ordered_json& config) { WriteConfigText(config.dump(2)); }

void PluginServer::WriteConfigText(const std::string& text) {
    std::filesystem::create_directories(PluginDir());
    std::ofstream out(PluginDir() / "config.json", std::ios::binary | std::ios::trunc);
    out << text;
    if (!out) throw std::runtime_error("cannot write config.json");
}

void PluginServer::Load() { LoadPlugin(LOCKBURY_PLUGIN_PATH); }

std::vector<std::string> Texts(const Sim::Player& player) {
    std::vector<std::string> texts;
    for (const Sim::Output& output : player.Received()) texts.push_back(output.text);
    return texts;
}

std::vector<std::string> LogTail(const Sim::Server& server) {
    std::vector<std::string> lines;
    for (const std::string& line : server.LogLines()) {
        const auto bracket = line.find('[');
        lines.push_back(bracket == std::string::npos ? line : line.substr(bracket));
    }
    return lines;
}

}  // namespace TestSupport
