#include "ServerFolder.h"

#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace ServerTests {

ServerFolder::ServerFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "lockbury-server-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary folder");
    dir_ = pattern;
    std::filesystem::create_directories(PluginDir());
}

ServerFolder::~ServerFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
}

void ServerFolder::WriteConfig(const nlohmann::ordered_json& config) const { WriteConfigText(config.dump(2)); }

void ServerFolder::WriteConfigText(const std::string& text) const {
    std::ofstream(PluginDir() / "config.json", std::ios::binary) << text;
}

std::string ServerFolder::Script(const std::string& text) const {
    auto path = dir_ / "session.lbs";
    std::ofstream(path, std::ios::binary) << text;
    return path.string();
}

}  // namespace ServerTests
