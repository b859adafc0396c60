#pragma once
// Symbols of the host runtime (libArkApiHost) that the plugin and the simulator link against.
#define ARK_HOST_API __attribute__((visibility("default")))
