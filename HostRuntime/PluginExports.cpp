// Exports of the sibling plugins, found by plugin and function name as GetProcAddress would.
#include "PluginExports.h"

#include <cstring>
#include <map>
#include <mutex>
#include <set>

#include "Registry.h"

namespace {

struct Export {
    std::string signature;
    void* entry = nullptr;
};

struct Exports {
    std::mutex mutex;
    std::map<std::pair<std::string, std::string>, Export, std::less<>> entries;
    std::set<std::string, std::less<>> loaded;
};

Exports& Get() {
    static Exports exports;
    return exports;
}

}  // namespace

namespace HostRuntime {

void RegisterPluginExportRaw(std::string_view plugin, std::string_view function, const char* signature, void* entry) {
    std::lock_guard lock(Get().mutex);
    Get().entries[{std::string(plugin), std::string(function)}] = Export{signature, entry};
}

void UnregisterPluginExports(std::string_view plugin) {
    std::lock_guard lock(Get().mutex);
    auto& entries = Get().entries;
    for (auto it = entries.begin(); it != entries.end();)
        it = it->first.first == plugin ? entries.erase(it) : std::next(it);
    Get().loaded.erase(std::string(plugin));
}

void SetPluginLoaded(std::string_view plugin, bool loaded) {
    std::lock_guard lock(Get().mutex);
    if (loaded)
        Get().loaded.insert(std::string(plugin));
    else
        Get().loaded.erase(std::string(plugin));
}

}  // namespace HostRuntime

namespace ArkApi {

void* FindPluginExport(const char* plugin, const char* function, const char* signature) {
    std::lock_guard lock(Get().mutex);
    if (!Get().loaded.contains(std::string_view(plugin))) return nullptr;
    auto it = Get().entries.find(std::make_pair(std::string(plugin), std::string(function)));
    if (it == Get().entries.end()) return nullptr;
    if (it->second.signature != signature)
        throw UnresolvedName(std::string(plugin) + " export '" + function + "' has the signature " +
                             HostRuntime::Demangle(it->second.signature.c_str()) + " but is used as " +
                             HostRuntime::Demangle(signature));
    return it->second.entry;
}

}  // namespace ArkApi
