# The dependencies of the Windows cross-build, made from Debian's packages under the names the
# Linux build finds them by (PkgConfig::MARIADB, nlohmann_json::nlohmann_json, fmt::fmt,
# spdlog::spdlog, GTest::gtest, GTest::gtest_main), so the folders' CMakeLists stay the same.
#
# fmt and spdlog are compiled from the headers of libfmt-dev and libspdlog-dev (below);
# nlohmann-json is used header-only from nlohmann-json3-dev; googletest is built from the
# googletest package's sources; the MariaDB client is reached through an import library made
# from the list of its functions the connection layer calls (cmake/libmariadb.def): the real
# libmariadb.dll of MariaDB Connector/C is needed beside the plugin at run time.

# Each package's headers through a folder that holds only them: /usr/include itself would put the
# Linux C library's headers before mingw's own.
set(WINDOWS_DEPS ${PROJECT_BINARY_DIR}/windows-deps)
function(lockbury_windows_headers folder)
  set(link ${WINDOWS_DEPS}/include/${folder})
  if(NOT EXISTS /usr/include/${folder})
    message(FATAL_ERROR "/usr/include/${folder} is missing: scripts/windows installs the Debian packages it needs")
  endif()
  file(MAKE_DIRECTORY ${WINDOWS_DEPS}/include)
  if(NOT EXISTS ${link})
    file(CREATE_LINK /usr/include/${folder} ${link} SYMBOLIC)
  endif()
endfunction()
foreach(folder fmt spdlog nlohmann mariadb)
  lockbury_windows_headers(${folder})
endforeach()

# windows.h without winsock.h (the client's headers bring winsock2.h) and without min/max macros,
# and with TCHAR as wchar_t, as the framework's plugins are built (the game's FString holds TCHAR).
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX UNICODE _UNICODE)
# Programs and DLLs side by side, as the loader looks for a program's DLLs beside it.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/bin)

# fmt and spdlog are compiled once, each into a static library of its own (cmake/windows/), not in
# every source that logs: used header-only they made each source take several times as long.
# Their headers are system headers to the project, and their own sources build without its
# warning flags.
add_library(LockburyFmt STATIC ${PROJECT_SOURCE_DIR}/cmake/windows/FmtLibrary.cpp)
target_include_directories(LockburyFmt SYSTEM PUBLIC ${WINDOWS_DEPS}/include)
set_target_properties(LockburyFmt PROPERTIES COMPILE_OPTIONS "")
add_library(fmt::fmt ALIAS LockburyFmt)
add_library(LockburySpdlog STATIC ${PROJECT_SOURCE_DIR}/cmake/windows/SpdlogLibrary.cpp)
target_compile_definitions(LockburySpdlog PUBLIC SPDLOG_COMPILED_LIB SPDLOG_FMT_EXTERNAL)
target_link_libraries(LockburySpdlog PUBLIC LockburyFmt)
set_target_properties(LockburySpdlog PROPERTIES COMPILE_OPTIONS "")
add_library(spdlog::spdlog ALIAS LockburySpdlog)
add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
set_target_properties(nlohmann_json::nlohmann_json PROPERTIES INTERFACE_INCLUDE_DIRECTORIES
                                                              ${WINDOWS_DEPS}/include)

# The client library: its headers, and an import library naming libmariadb.dll.
set(MARIADB_DEF ${PROJECT_SOURCE_DIR}/cmake/libmariadb.def)
set(MARIADB_IMPLIB ${WINDOWS_DEPS}/lib/libmariadb.dll.a)
file(MAKE_DIRECTORY ${WINDOWS_DEPS}/lib)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${MARIADB_DEF})
execute_process(COMMAND ${CMAKE_DLLTOOL} --input-def ${MARIADB_DEF} --dllname libmariadb.dll --output-lib
                        ${MARIADB_IMPLIB} RESULT_VARIABLE dlltool_failed)
if(dlltool_failed)
  message(FATAL_ERROR "${CMAKE_DLLTOOL} could not make ${MARIADB_IMPLIB} from ${MARIADB_DEF}")
endif()
add_library(PkgConfig::MARIADB INTERFACE IMPORTED)
set_target_properties(PkgConfig::MARIADB PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${WINDOWS_DEPS}/include/mariadb
                                                    INTERFACE_LINK_LIBRARIES ${MARIADB_IMPLIB})

# googletest from Debian's sources, built without the project's warning flags (it is not ours).
if(LOCKBURY_TESTS)
  get_directory_property(project_options COMPILE_OPTIONS)
  set_directory_properties(PROPERTIES COMPILE_OPTIONS "")
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest/googletest ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  set_directory_properties(PROPERTIES COMPILE_OPTIONS "${project_options}")  # it names GTest::gtest itself
endif()
