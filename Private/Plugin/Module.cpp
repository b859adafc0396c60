// The module's entry point, in the shape of the DLL entry point: the loader calls it with
// process attach (1) after loading the library and with process detach (0) before unloading it.
// On Windows the system loader itself calls it (from the C runtime's DLL start-up, once the
// module's static objects exist); Exports.map and Exports.def keep it the only exported symbol.
#include "Private/Plugin/Plugin.h"

#if defined(_WIN32)
#define LOCKBURY_ENTRY_POINT extern "C" __declspec(dllexport)
#else
#define LOCKBURY_ENTRY_POINT extern "C" __attribute__((visibility("default")))
#endif

namespace {
constexpr unsigned long kProcessDetach = 0;  // DLL_PROCESS_DETACH
constexpr unsigned long kProcessAttach = 1;  // DLL_PROCESS_ATTACH
}  // namespace

// Thread attach and detach (2 and 3) reach it too on Windows; they concern nothing here.
LOCKBURY_ENTRY_POINT int DllMain(void* /*module*/, unsigned long reason, void* /*reserved*/) {
    if (reason == kProcessAttach) Lockbury::Load();
    if (reason == kProcessDetach) Lockbury::Unload();
    // A failed Load never makes the loading of the module fail.
    return 1;
}
