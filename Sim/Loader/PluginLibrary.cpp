#include "PluginLibrary.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include <spdlog/spdlog.h>

#include <stdexcept>
#include <string>

#include "HostRuntime/HostState.h"
#include "HostRuntime/Registry.h"

namespace Sim {
namespace {

// The path as UTF-8 for messages: path::string() would use the ANSI code page on Windows.
std::string Text(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return {text.begin(), text.end()};
}

// The framework's own lines go to the same sinks as the plugins' loggers.
void FrameworkWarning(const std::string& text) {
    auto& sinks = GetLogSinks();
    spdlog::logger logger("API", sinks.begin(), sinks.end());
    logger.set_pattern("%D %R [%n][%l] %v");
    logger.warn(text);
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
void* Open(const std::filesystem::path& path) { return LoadLibraryW(path.c_str()); }
bool Close(void* handle) { return FreeLibrary(Module(handle)) != 0; }

#else

std::string LastError() {
    const char* error = dlerror();
    return error ? error : "unknown error";
}

void* Open(const std::filesystem::path& path) {
    dlerror();
    return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
}
bool Close(void* handle) { return dlclose(handle) == 0; }

#endif

}  // namespace

PluginLibrary::PluginLibrary(const std::filesystem::path& library) : path_(std::filesystem::absolute(library)) {
    handle_ = Open(path_);
    if (!handle_) throw std::runtime_error("cannot load plugin " + Text(path_) + ": " + LastError());
    if (auto init = reinterpret_cast<EntryPoint>(Symbol("Plugin_Init")))
        Call(init, "Plugin_Init");
    else
        FrameworkWarning("Plugin " + Name() + " has no Plugin_Init: loaded, nothing called");
}

void* PluginLibrary::Symbol(const char* name) const {
#if defined(_WIN32)
    return reinterpret_cast<void*>(GetProcAddress(Module(handle_), name));
#else
    return dlsym(handle_, name);
#endif
}

void PluginLibrary::Call(EntryPoint entry, const char* name) const {
    // The framework catches nothing around these calls but its own load and unload commands; an
    // error out of them is a plugin fault.
    try {
        entry();
    } catch (const std::exception& e) {
        HostRuntime::RecordEscapedError(Name() + " " + name + ": " + e.what());
    } catch (...) {
        HostRuntime::RecordEscapedError(Name() + " " + name + ": an error that is not a std::exception");
    }
}

std::string PluginLibrary::NameOf(const std::filesystem::path& library) {
    std::string stem = Text(library.stem());
    if (stem.starts_with("lib")) stem.erase(0, 3);
    return stem;
}

void PluginLibrary::Unload() {
    if (!handle_) return;
    if (auto unload = reinterpret_cast<EntryPoint>(Symbol("Plugin_Unload"))) Call(unload, "Plugin_Unload");
    void* handle = handle_;
    handle_ = nullptr;
    const bool closed = Close(handle);
    HostRuntime::ForgetCallSites();
    if (!closed) throw std::runtime_error("cannot unload plugin " + Text(path_) + ": " + LastError());
    // A library held by a GNU unique symbol (or another reference) stays in the process, and a
    // later load would find its old process-wide objects.
    if (InProcess(path_))
        throw std::runtime_error("plugin " + Text(path_) +
                                 " is still loaded after unloading it (a GNU unique symbol or another reference "
                                 "keeps it in the process; build it with -fno-gnu-unique)");
}

bool PluginLibrary::InProcess(const std::filesystem::path& library) {
#if defined(_WIN32)
    return GetModuleHandleW(std::filesystem::absolute(library).c_str()) != nullptr;
#else
    void* handle = dlopen(std::filesystem::absolute(library).c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (handle) dlclose(handle);
    return handle != nullptr;
#endif
}

PluginLibrary::~PluginLibrary() {
    try {
        Unload();
    } catch (...) {
    }
}

}  // namespace Sim
