#pragma once
// A game server's folder for lockbury-server, in a fresh temporary directory removed afterwards.
#include <filesystem>
#include <string>

#include <nlohmann/json.hpp>

namespace ServerTests {

class ServerFolder {
public:
    ServerFolder();
    ~ServerFolder();
    ServerFolder(const ServerFolder&) = delete;
    ServerFolder& operator=(const ServerFolder&) = delete;

    const std::filesystem::path& Dir() const { return dir_; }
    std::filesystem::path PluginDir() const { return dir_ / "ArkApi/Plugins/Lockbury"; }
    void WriteConfig(const nlohmann::ordered_json& config) const;
    void WriteConfigText(const std::string& text) const;
    // A script file inside the folder; returns its path.
    std::string Script(const std::string& text) const;

private:
    std::filesystem::path dir_;
};

}  // namespace ServerTests
