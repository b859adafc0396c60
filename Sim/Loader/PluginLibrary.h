#pragma once
// A plugin library loaded as the framework loads a plugin's DLL: the library is loaded, then its
// exported Plugin_Init is called (when it has one); before the library is freed its Plugin_Unload
// is called (when it has one). Nothing runs from DllMain, which Windows calls under the loader
// lock. On Windows LoadLibraryW and FreeLibrary do the loading, elsewhere dlopen and dlclose.
#include <filesystem>

namespace Sim {

class PluginLibrary {
public:
    // Loads the library and calls Plugin_Init; throws a clear error when the library cannot be
    // loaded. A library without Plugin_Init is loaded all the same (the framework calls it only
    // when it is there), with a warning in the log. An error escaping Plugin_Init reaches the
    // framework, which logs it and keeps the library: here it is recorded as an escaped error.
    explicit PluginLibrary(const std::filesystem::path& library);
    ~PluginLibrary();  // unloads when still loaded (errors are swallowed here; call Unload to see them)
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    // Plugin_Unload, free, and check that the library really left the process (throws if not).
    void Unload();
    bool Loaded() const { return handle_ != nullptr; }
    const std::filesystem::path& Path() const { return path_; }
    // The plugin's name as the framework knows it: its folder's, which is the file's stem
    // ("Lockbury" for Lockbury.dll; the "lib" a build puts before it, as in libLockbury.so, is
    // left out).
    std::string Name() const { return NameOf(path_); }
    static std::string NameOf(const std::filesystem::path& library);

    // Whether the library at that path is loaded in this process now (loads nothing).
    static bool InProcess(const std::filesystem::path& library);

private:
    using EntryPoint = void (*)();

    void* Symbol(const char* name) const;
    void Call(EntryPoint entry, const char* name) const;

    std::filesystem::path path_;
    void* handle_ = nullptr;
};

}  // namespace Sim
