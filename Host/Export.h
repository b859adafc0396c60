#pragma once
// Symbols of the host runtime (libArkApiHost) that the plugin and the simulator link against.
// On Windows the DLL exports them while it is built (CMake defines ArkApiHost_EXPORTS for its own
// sources) and everyone else imports them.
#if defined(_WIN32)
#if defined(ArkApiHost_EXPORTS)
#define ARK_HOST_API __declspec(dllexport)
#else
#define ARK_HOST_API __declspec(dllimport)
#endif
#else
#define ARK_HOST_API __attribute__((visibility("default")))
#endif
