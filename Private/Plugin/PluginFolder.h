#pragma once
#include <filesystem>
#include <string>
#include <string_view>

#include "Host/ArkApi.h"

namespace Lockbury {

// "<server dir>/ArkApi/Plugins/Lockbury": where config.json and the kits live.
inline std::string PluginFolder() { return ArkApi::Tools::GetCurrentDir() + "/ArkApi/Plugins/Lockbury"; }

// The plugin's texts are UTF-8, and every path it makes from one goes through here: a path built
// from a plain std::string reads it in the ANSI code page on Windows, so "Trésor" would name
// another folder there than on Linux.
inline std::filesystem::path Utf8Path(std::string_view utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

}  // namespace Lockbury
