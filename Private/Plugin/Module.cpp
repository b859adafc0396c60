// The module's entry points, as the framework calls them: Plugin_Init once the library is loaded
// and Plugin_Unload before it is freed, both on the game thread. Nothing runs from DllMain, which
// the system calls under the loader lock (no library loads, no threads, no database there).
// Exports.map and Exports.def keep these two the only exported symbols.
#include "Private/Plugin/Plugin.h"

#if defined(_WIN32)
#define LOCKBURY_ENTRY_POINT extern "C" __declspec(dllexport)
#else
#define LOCKBURY_ENTRY_POINT extern "C" __attribute__((visibility("default")))
#endif

LOCKBURY_ENTRY_POINT void Plugin_Init() { Lockbury::Load(); }

LOCKBURY_ENTRY_POINT void Plugin_Unload() { Lockbury::Unload(); }
