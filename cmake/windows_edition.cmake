# The Windows edition, cross-built with mingw-w64 (cmake/mingw-w64-x86_64.cmake) and run under
# wine here: the same core with the Windows platform folder, the driver over the vendor's
# library, the programs and the tests that are not about a Linux-only unit.

file(GLOB_RECURSE CORE_SOURCES CONFIGURE_DEPENDS src/*.cpp)
list(FILTER CORE_SOURCES EXCLUDE REGEX "src/(platform/posix|device/libftdi)/")
add_library(core STATIC ${CORE_SOURCES})
target_include_directories(core PUBLIC src ${CMAKE_BINARY_DIR}/generated)
# Wide (W) functions everywhere: file names cross into the system as UTF-16.
target_compile_definitions(core PUBLIC UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
                                       _WIN32_WINNT=0x0A00)
target_link_libraries(core PUBLIC Threads::Threads)

enable_testing()
# devcon.exe, the installer and their tests under wine.
include(cmake/windows_installer.cmake)

if(TS_BUILD_TESTS)
  # Debian's googletest package ships the sources, built here with the cross compiler.
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endif()
