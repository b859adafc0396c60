#pragma once
// How a sibling stand-in exports its function under the real plugin's MSVC-mangled name.
// On Windows the library's .def file maps that name to the function. Elsewhere the function is
// named by a placeholder of the same length (the mangled name with '_' for '@', which linkers
// read as a symbol version, and for '?', which the assembler would need quoted), and
// rename-dynamic-symbol writes the real name into the finished library. SIBLING_PLACEHOLDER comes from CMakeLists.txt, beside the real name.
#if defined(_WIN32)
#define SIBLING_API extern "C"
#define SIBLING_MANGLED_NAME
#else
#define SIBLING_API extern "C" __attribute__((visibility("default")))
#define SIBLING_MANGLED_NAME __asm__(SIBLING_PLACEHOLDER)
#endif
