#include "SiblingLibrary.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include <stdexcept>

namespace Sim {
namespace {

std::string Text(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return {text.begin(), text.end()};
}

#if defined(_WIN32)
std::string LastError() { return "error " + std::to_string(GetLastError()); }
#else
std::string LastError() {
    const char* error = dlerror();
    return error ? error : "unknown error";
}
#endif

}  // namespace

SiblingLibrary::SiblingLibrary(std::string name, std::filesystem::path file)
    : name_(std::move(name)), file_(std::move(file)) {}

SiblingLibrary::~SiblingLibrary() {
    try {
        Unload();
    } catch (...) {
    }
}

void* SiblingLibrary::Load(const char* bind) {
    if (handle_) throw std::logic_error("the " + name_ + " stand-in is loaded already");
#if defined(_WIN32)
    handle_ = LoadLibraryW(std::filesystem::absolute(file_).c_str());
    void* entry = handle_ ? reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), bind)) : nullptr;
#else
    dlerror();
    handle_ = dlopen(std::filesystem::absolute(file_).c_str(), RTLD_NOW | RTLD_LOCAL);
    void* entry = handle_ ? dlsym(handle_, bind) : nullptr;
#endif
    if (!handle_)
        throw std::runtime_error("cannot load the " + name_ + " stand-in " + Text(file_) + ": " + LastError() +
                                 " (build the " + name_ + " target)");
    if (!entry) {
        const std::string error = LastError();
        Unload();
        throw std::runtime_error("the " + name_ + " stand-in " + Text(file_) + " has no " + bind + ": " + error);
    }
    return entry;
}

void SiblingLibrary::Unload() {
    if (!handle_) return;
    void* handle = handle_;
    handle_ = nullptr;
#if defined(_WIN32)
    const bool freed = FreeLibrary(static_cast<HMODULE>(handle)) != 0;
#else
    const bool freed = dlclose(handle) == 0;
#endif
    if (!freed) throw std::runtime_error("cannot unload the " + name_ + " stand-in: " + LastError());
    if (InProcess())
        throw std::runtime_error("the " + name_ + " stand-in is still loaded after unloading it: a reference " +
                                 "another library took to it (and did not give back) keeps it in the process");
}

bool SiblingLibrary::InProcess() const {
#if defined(_WIN32)
    return GetModuleHandleA((name_ + ".dll").c_str()) != nullptr;
#else
    void* handle = dlopen((name_ + ".so").c_str(), RTLD_LAZY | RTLD_NOLOAD);
    if (handle) dlclose(handle);
    return handle != nullptr;
#endif
}

}  // namespace Sim
