// The module's entry point, in the shape of the DLL entry point: the loader calls it with
// process attach (1) after loading the library and with process detach (0) before unloading it.
#include "Private/Plugin/Plugin.h"

extern "C" __attribute__((visibility("default"))) int DllMain(void* /*module*/, unsigned long reason, void* /*reserved*/) {
    if (reason == 1) Lockbury::Load();
    if (reason == 0) Lockbury::Unload();
    // A failed Load never makes the loading of the module fail.
    return 1;
}
