#pragma once
#include <string>

#include "Host/ArkApi.h"

namespace Lockbury {

// "<server dir>/ArkApi/Plugins/Lockbury": where config.json and the kits live.
inline std::string PluginFolder() { return ArkApi::Tools::GetCurrentDir() + "/ArkApi/Plugins/Lockbury"; }

}  // namespace Lockbury
