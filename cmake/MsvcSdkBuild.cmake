# The live server's Lockbury.dll: the plugin (Private/, Database/) alone, built with MSVC against
# the ArkApi framework's SDK and its import library ArkApi.lib. The stand-in host, the simulator
# and the tests are not part of this build. Included by the top-level CMakeLists.txt when
# LOCKBURY_ARKAPI_SDK or LOCKBURY_ARKAPI_LIB is given; from a Developer Command Prompt for VS 2022:
#
#   cmake -S . -B build-msvc -G "Visual Studio 17 2022" -A x64 ^
#     -DLOCKBURY_ARKAPI_SDK=C:/ArkApi-SDK -DLOCKBURY_ARKAPI_LIB=C:/ArkApi-SDK/lib/ArkApi.lib ^
#     -DLOCKBURY_JSON_INCLUDE=C:/nlohmann-json/include ^
#     -DLOCKBURY_MARIADB_INCLUDE="C:/Program Files/MariaDB/MariaDB Connector C 64-bit/include" ^
#     -DLOCKBURY_MARIADB_LIB="C:/Program Files/MariaDB/MariaDB Connector C 64-bit/lib/libmariadb.lib"
#   cmake --build build-msvc --config Release      (gives build-msvc/Release/Lockbury.dll)
#
# The include roots are the ones scripts/sdk-check checks every plugin source with: the door
# Host/ArkApi.h written from cmake/ArkApiDoor.h.in (and no other Host/ header), the repository root
# for "Private/..." and "Database/...", and the SDK's Core/Public, Core/Private and Public/Logger.

set(LOCKBURY_ARKAPI_SDK "${LOCKBURY_ARKAPI_SDK}" CACHE PATH
    "The ArkApi framework's SDK: the folder that holds version/Core/Public/API/ARK/Ark.h")
set(LOCKBURY_ARKAPI_LIB "${LOCKBURY_ARKAPI_LIB}" CACHE FILEPATH "The framework's import library ArkApi.lib")
set(LOCKBURY_JSON_INCLUDE "${LOCKBURY_JSON_INCLUDE}" CACHE PATH
    "nlohmann-json's include folder (the one that holds nlohmann/json.hpp)")
set(LOCKBURY_MARIADB_INCLUDE "${LOCKBURY_MARIADB_INCLUDE}" CACHE PATH
    "MariaDB Connector/C 64-bit: its include folder (the one that holds mysql.h)")
set(LOCKBURY_MARIADB_LIB "${LOCKBURY_MARIADB_LIB}" CACHE FILEPATH "MariaDB Connector/C 64-bit: lib/libmariadb.lib")

# Everything missing at once, each with where to get it, so that one more configure is enough.
set(problems "")
# One input: the variable, the file it must name or hold, and what it is and where to get it.
function(lockbury_require variable expected what)
  set(value "${${variable}}")
  if(value STREQUAL "")
    set(problem "${variable} is not set: give ${what}")
  elseif(expected STREQUAL "FILE" AND (NOT EXISTS "${value}" OR IS_DIRECTORY "${value}"))
    set(problem "${variable}=${value}: no such file, expected ${what}")
  elseif(NOT expected STREQUAL "FILE" AND NOT EXISTS "${value}/${expected}")
    set(problem "${variable}=${value} has no ${expected}, expected ${what}")
  else()
    return()
  endif()
  list(APPEND problems "${problem}")
  set(problems "${problems}" PARENT_SCOPE)
endfunction()
set(sdk_core "${LOCKBURY_ARKAPI_SDK}/version/Core")
lockbury_require(LOCKBURY_ARKAPI_SDK version/Core/Public/API/ARK/Ark.h
                 "the ArkApi framework's SDK folder (the one that holds version/Core/Public and version/Core/Private)")
if(EXISTS "${sdk_core}/Public/API/ARK/Ark.h" AND (NOT EXISTS "${sdk_core}/Public/Logger/Logger.h"
                                                  OR NOT IS_DIRECTORY "${sdk_core}/Private"))
  list(APPEND problems "LOCKBURY_ARKAPI_SDK=${LOCKBURY_ARKAPI_SDK} is incomplete: version/Core/Public/Logger/Logger.h and version/Core/Private belong to the SDK as well")
endif()
lockbury_require(LOCKBURY_ARKAPI_LIB FILE "the framework's import library ArkApi.lib, which comes with its SDK")
lockbury_require(LOCKBURY_JSON_INCLUDE nlohmann/json.hpp
                 "the include folder of nlohmann-json 3.10 or later (https://github.com/nlohmann/json/releases, include.zip, or: vcpkg install nlohmann-json)")
lockbury_require(LOCKBURY_MARIADB_INCLUDE mysql.h
                 "the include folder of MariaDB Connector/C 64-bit (https://mariadb.com/downloads/connectors/, C connector, MS Windows 64-bit)")
lockbury_require(LOCKBURY_MARIADB_LIB FILE "lib/libmariadb.lib of MariaDB Connector/C 64-bit")
if(NOT MSVC)
  list(APPEND problems "the compiler is ${CMAKE_CXX_COMPILER_ID} ${CMAKE_CXX_COMPILER}: the framework's plugins are built with MSVC (Visual Studio 2022 with the C++ desktop workload, -G \"Visual Studio 17 2022\" -A x64)")
elseif(NOT CMAKE_SIZEOF_VOID_P EQUAL 8)
  list(APPEND problems "this is a 32-bit build: the server and the framework are 64-bit (-A x64)")
endif()
if(problems)
  list(JOIN problems "\n  - " problems)
  message(FATAL_ERROR "Lockbury.dll for a live server (the MSVC build against the ArkApi SDK) cannot be configured:\n  - ${problems}\n")
endif()

# The door the plugin includes as "Host/ArkApi.h". Its folder comes before the repository root,
# and every other header of the stand-in gets a twin there that stops the build, so a source that
# reaches past the door fails here as it does in scripts/sdk-check.
set(door_root ${PROJECT_BINARY_DIR}/arkapi-door)
configure_file(${PROJECT_SOURCE_DIR}/cmake/ArkApiDoor.h.in ${door_root}/Host/ArkApi.h COPYONLY)
file(GLOB_RECURSE stand_in_headers CONFIGURE_DEPENDS RELATIVE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/Host/*.h)
list(REMOVE_ITEM stand_in_headers Host/ArkApi.h)
foreach(header ${stand_in_headers})
  file(CONFIGURE OUTPUT ${door_root}/${header} @ONLY
       CONTENT "#error \"${header} is the stand-in host's: the plugin reaches the framework through Host/ArkApi.h alone\"\n")
endforeach()

# C++20 is asked for below, ahead of /permissive: left to CMake, /std:c++20 could come after it
# and turn conformance mode back on.
unset(CMAKE_CXX_STANDARD)
file(GLOB_RECURSE plugin_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/Private/*.cpp
     ${PROJECT_SOURCE_DIR}/Database/*.cpp)
# The plugin's exports are those of its .def file, as in the mingw-w64 build.
add_library(Lockbury SHARED ${plugin_sources} ${PROJECT_SOURCE_DIR}/Private/Plugin/Exports.def)
# The release C runtime in every configuration: a server has no debug runtime (ucrtbased.dll).
set_target_properties(Lockbury PROPERTIES PREFIX "" OUTPUT_NAME Lockbury MSVC_RUNTIME_LIBRARY MultiThreadedDLL)
target_include_directories(Lockbury BEFORE PRIVATE ${door_root} ${PROJECT_SOURCE_DIR} ${sdk_core}/Public
                                                   ${sdk_core}/Private ${sdk_core}/Public/Logger)
target_include_directories(Lockbury SYSTEM PRIVATE ${LOCKBURY_JSON_INCLUDE} ${LOCKBURY_MARIADB_INCLUDE})
# WIN32_LEAN_AND_MEAN: the framework's headers bring windows.h and the client's mysql.h brings
# winsock2.h; windows.h would otherwise add winsock.h, which MSVC's winsock2.h cannot follow.
target_compile_definitions(Lockbury PRIVATE UNICODE _UNICODE NOMINMAX WIN32_LEAN_AND_MEAN)
# The framework's headers rely on MSVC's permissive mode (one-phase name look-up among others),
# which /std:c++20 alone would turn off.
target_compile_options(Lockbury PRIVATE /std:c++20 /permissive /Zc:twoPhase- /utf-8 /EHsc /bigobj)
target_link_libraries(Lockbury PRIVATE "${LOCKBURY_ARKAPI_LIB}" "${LOCKBURY_MARIADB_LIB}")

message(STATUS "Lockbury.dll for a live server: MSVC against ${LOCKBURY_ARKAPI_SDK} and ${LOCKBURY_ARKAPI_LIB}")
