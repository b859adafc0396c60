#pragma once
// Exports of sibling plugins (Permissions, ArkShop), as the simulator's stand-ins provide them.
#include <string_view>

#include "Host/SiblingPlugins.h"

namespace HostRuntime {

ARK_HOST_API void RegisterPluginExportRaw(std::string_view plugin, std::string_view function, const char* signature,
                                          void* entry);
ARK_HOST_API void UnregisterPluginExports(std::string_view plugin);
// A plugin that is not loaded finds none of its exports.
ARK_HOST_API void SetPluginLoaded(std::string_view plugin, bool loaded);

template <typename Fn>
void RegisterPluginExport(std::string_view plugin, std::string_view function, Fn* entry) {
    RegisterPluginExportRaw(plugin, function, ArkApi::SignatureOf<Fn>(), reinterpret_cast<void*>(entry));
}

}  // namespace HostRuntime
