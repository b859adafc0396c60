#include "PluginLibrary.h"

#include <dlfcn.h>

#include "HostRuntime/Registry.h"

#include <stdexcept>
#include <string>

namespace Sim {
namespace {

constexpr unsigned long kProcessDetach = 0;
constexpr unsigned long kProcessAttach = 1;

std::string LastError() {
    const char* error = dlerror();
    return error ? error : "unknown error";
}

}  // namespace

PluginLibrary::PluginLibrary(const std::filesystem::path& library) : path_(std::filesystem::absolute(library)) {
    dlerror();
    handle_ = dlopen(path_.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) throw std::runtime_error("cannot load plugin " + path_.string() + ": " + LastError());
    entry_ = reinterpret_cast<EntryPoint>(dlsym(handle_, "DllMain"));
    if (!entry_) {
        const std::string error = LastError();
        dlclose(handle_);
        handle_ = nullptr;
        throw std::runtime_error("plugin " + path_.string() + " has no entry point DllMain: " + error);
    }
    int attached = 0;
    try {
        attached = entry_(handle_, kProcessAttach, nullptr);
    } catch (...) {
        // An error out of the entry point would end the real server; here it fails the load.
        dlclose(handle_);
        HostRuntime::ForgetCallSites();
        handle_ = nullptr;
        throw;
    }
    if (!attached) {
        // As on Windows: a refused attach is followed by detach, and the library is unloaded.
        entry_(handle_, kProcessDetach, nullptr);
        dlclose(handle_);
        HostRuntime::ForgetCallSites();
        handle_ = nullptr;
        throw std::runtime_error("plugin " + path_.string() + " refused to attach (its entry point returned 0)");
    }
}

PluginLibrary::~PluginLibrary() {
    try {
        Unload();
    } catch (...) {
    }
}

void PluginLibrary::Unload() {
    if (!handle_) return;
    entry_(handle_, kProcessDetach, nullptr);
    void* handle = handle_;
    handle_ = nullptr;
    entry_ = nullptr;
    const int closed = dlclose(handle);
    HostRuntime::ForgetCallSites();
    if (closed != 0) throw std::runtime_error("cannot unload plugin " + path_.string() + ": " + LastError());
    // A library held by a GNU unique symbol (or another reference) stays in the process, and a
    // later load would find its old process-wide objects.
    if (void* still = dlopen(path_.c_str(), RTLD_NOW | RTLD_NOLOAD)) {
        dlclose(still);
        throw std::runtime_error("plugin " + path_.string() +
                                 " is still loaded after unloading it (a GNU unique symbol or another reference "
                                 "keeps it in the process; build it with -fno-gnu-unique)");
    }
}

}  // namespace Sim
