#pragma once
// One sibling plugin's stand-in library (Sim/Siblings/Plugins), loaded and freed as the framework
// loads and frees a plugin. Freeing it checks that it really left the process: a plugin that
// took a reference of its own and kept it would keep it there, calling freed code later.
#include <filesystem>
#include <string>

namespace Sim {

class SiblingLibrary {
public:
    // name: the plugin's ("Permissions"); file: its library. Nothing is loaded yet.
    SiblingLibrary(std::string name, std::filesystem::path file);
    ~SiblingLibrary();  // frees it when loaded (errors are swallowed here; call Unload to see them)
    SiblingLibrary(const SiblingLibrary&) = delete;
    SiblingLibrary& operator=(const SiblingLibrary&) = delete;

    // Loads it and returns the address of its exported C function `bind`, through which the
    // simulator hands it its data; throws a clear error when either cannot be had.
    void* Load(const char* bind);
    // Throws when it stays in the process.
    void Unload();
    bool Loaded() const { return handle_ != nullptr; }
    const std::string& Name() const { return name_; }
    // Whether a library of this plugin's module name (Permissions.so, Permissions.dll) is in the
    // process now, as the plugin would find it (loads nothing).
    bool InProcess() const;

private:
    std::string name_;
    std::filesystem::path file_;
    void* handle_ = nullptr;
};

}  // namespace Sim
