#include "PluginLibrary.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include <stdexcept>
#include <string>

#include "HostRuntime/Registry.h"

namespace Sim {
namespace {

// The path as UTF-8 for messages: path::string() would use the ANSI code page on Windows.
std::string Text(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return {text.begin(), text.end()};
}

#if defined(_WIN32)

std::string LastError() {
    const DWORD code = GetLastError();
    char* text = nullptr;
    const DWORD length =
        FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                       code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message = length ? std::string(text, length) : "error " + std::to_string(code);
    if (text) LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' '))
        message.pop_back();
    return message;
}

HMODULE Module(void* handle) { return static_cast<HMODULE>(handle); }

#else

constexpr unsigned long kProcessDetach = 0;
constexpr unsigned long kProcessAttach = 1;

std::string LastError() {
    const char* error = dlerror();
    return error ? error : "unknown error";
}

#endif

}  // namespace

#if defined(_WIN32)

PluginLibrary::PluginLibrary(const std::filesystem::path& library) : path_(std::filesystem::absolute(library)) {
    // The system loader calls the entry point with DLL_PROCESS_ATTACH; when it returns FALSE the
    // loader calls it with DLL_PROCESS_DETACH, unloads the DLL and fails with ERROR_DLL_INIT_FAILED.
    handle_ = LoadLibraryW(path_.c_str());
    if (!handle_) {
        if (GetLastError() == ERROR_DLL_INIT_FAILED) {
            HostRuntime::ForgetCallSites();
            throw std::runtime_error("plugin " + Text(path_) + " refused to attach (its entry point returned 0)");
        }
        throw std::runtime_error("cannot load plugin " + Text(path_) + ": " + LastError());
    }
    entry_ = reinterpret_cast<EntryPoint>(reinterpret_cast<void*>(GetProcAddress(Module(handle_), "DllMain")));
    if (!entry_) {
        const std::string error = LastError();
        FreeLibrary(Module(handle_));
        HostRuntime::ForgetCallSites();
        handle_ = nullptr;
        throw std::runtime_error("plugin " + Text(path_) + " has no entry point DllMain: " + error);
    }
}

void PluginLibrary::Unload() {
    if (!handle_) return;
    void* handle = handle_;
    handle_ = nullptr;
    entry_ = nullptr;
    // The system loader calls the entry point with DLL_PROCESS_DETACH from inside FreeLibrary.
    const BOOL freed = FreeLibrary(Module(handle));
    HostRuntime::ForgetCallSites();
    if (!freed) throw std::runtime_error("cannot unload plugin " + Text(path_) + ": " + LastError());
    if (InProcess(path_))
        throw std::runtime_error("plugin " + Text(path_) +
                                 " is still loaded after unloading it (another reference keeps it in the process)");
}

bool PluginLibrary::InProcess(const std::filesystem::path& library) {
    return GetModuleHandleW(std::filesystem::absolute(library).c_str()) != nullptr;
}

#else

PluginLibrary::PluginLibrary(const std::filesystem::path& library) : path_(std::filesystem::absolute(library)) {
    dlerror();
    handle_ = dlopen(path_.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) throw std::runtime_error("cannot load plugin " + Text(path_) + ": " + LastError());
    entry_ = reinterpret_cast<EntryPoint>(dlsym(handle_, "DllMain"));
    if (!entry_) {
        const std::string error = LastError();
        dlclose(handle_);
        handle_ = nullptr;
        throw std::runtime_error("plugin " + Text(path_) + " has no entry point DllMain: " + error);
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
        throw std::runtime_error("plugin " + Text(path_) + " refused to attach (its entry point returned 0)");
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
    if (closed != 0) throw std::runtime_error("cannot unload plugin " + Text(path_) + ": " + LastError());
    // A library held by a GNU unique symbol (or another reference) stays in the process, and a
    // later load would find its old process-wide objects.
    if (InProcess(path_))
        throw std::runtime_error("plugin " + Text(path_) +
                                 " is still loaded after unloading it (a GNU unique symbol or another reference "
                                 "keeps it in the process; build it with -fno-gnu-unique)");
}

bool PluginLibrary::InProcess(const std::filesystem::path& library) {
    void* handle = dlopen(std::filesystem::absolute(library).c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (handle) dlclose(handle);
    return handle != nullptr;
}

#endif

PluginLibrary::~PluginLibrary() {
    try {
        Unload();
    } catch (...) {
    }
}

}  // namespace Sim
