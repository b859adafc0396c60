#pragma once
// A plugin library loaded as the Windows loader loads a DLL: the entry point is called with
// process attach once loaded and with process detach before the library is unloaded. On Windows
// the system loader does exactly that (LoadLibraryW, FreeLibrary); elsewhere dlopen and dlclose
// do the loading and this class calls the entry point itself.
#include <filesystem>

namespace Sim {

class PluginLibrary {
public:
    // Loads the library and calls its entry point with attach; throws a clear error on failure.
    explicit PluginLibrary(const std::filesystem::path& library);
    ~PluginLibrary();  // unloads when still loaded (errors are swallowed here; call Unload to see them)
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    // Detach, close, and check that the library really left the process (throws if not).
    void Unload();
    bool Loaded() const { return handle_ != nullptr; }
    const std::filesystem::path& Path() const { return path_; }

    // Whether the library at that path is loaded in this process now (loads nothing).
    static bool InProcess(const std::filesystem::path& library);

private:
    using EntryPoint = int (*)(void* module, unsigned long reason, void* reserved);

    std::filesystem::path path_;
    void* handle_ = nullptr;
    EntryPoint entry_ = nullptr;
};

}  // namespace Sim
