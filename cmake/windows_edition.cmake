# The Windows edition, cross-built with mingw-w64 (cmake/mingw-w64-x86_64.cmake) and run under
# wine here: the same core with the Windows platform folder, the driver over the vendor's
# library, the programs and the tests that are not about a Linux-only unit.

# Wide (W) functions everywhere: file names cross into the system as UTF-16.
set(WINDOWS_DEFINITIONS UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0A00)

# ---- core: the whole station without any toolkit, on the Windows platform folder ----
file(GLOB_RECURSE CORE_SOURCES CONFIGURE_DEPENDS src/*.cpp)
list(FILTER CORE_SOURCES EXCLUDE REGEX "src/(platform/posix|device/libftdi|device/d2xx)/")
add_library(core STATIC ${CORE_SOURCES})
target_include_directories(core PUBLIC src ${CMAKE_BINARY_DIR}/generated)
target_compile_definitions(core PUBLIC ${WINDOWS_DEFINITIONS})
# The user's data folder comes from the shell's known folders (shell32, ole32, uuid).
target_link_libraries(core PUBLIC Threads::Threads shell32 ole32 uuid user32)

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

# ---- the driver over the vendor's D2XX library, loaded at run time ----
file(GLOB D2XX_DRIVER_SOURCES CONFIGURE_DEPENDS src/device/d2xx/*.cpp)
add_library(d2xx_driver STATIC ${D2XX_DRIVER_SOURCES})
target_link_libraries(d2xx_driver PUBLIC core)

# ---- the emulated D2XX library: ftd2xx.dll serving the bridges of TS_EMULATED_BRIDGES ----
# Built beside the programs, where the driver finds it before the system folder.
file(GLOB EMULATED_D2XX_SOURCES CONFIGURE_DEPENDS sim/emulated_d2xx/*.cpp)
add_library(emulated_d2xx SHARED ${EMULATED_D2XX_SOURCES} sim/emulated_bridge/bridge_list.cpp
                                 sim/sim_instrument.cpp sim/sim_driver.cpp sim/frame_encoder.cpp
                                 src/device/receive_queue.cpp)
target_include_directories(emulated_d2xx PRIVATE ${CMAKE_SOURCE_DIR} sim src)
target_compile_definitions(emulated_d2xx PRIVATE ${WINDOWS_DEFINITIONS})
set_target_properties(emulated_d2xx PROPERTIES OUTPUT_NAME ftd2xx PREFIX ""
                                               RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

# ---- sim: simulated instruments ----
file(GLOB SIM_SOURCES CONFIGURE_DEPENDS sim/*.cpp)
list(FILTER SIM_SOURCES EXCLUDE REGEX "sim/(sim_main|sim_panel)[^/]*\\.cpp$")
add_library(sim STATIC ${SIM_SOURCES})
target_include_directories(sim PUBLIC .)
target_link_libraries(sim PUBLIC core)

# A capture of the simulated instrument's line, and a devcon.exe that logs how it was started,
# for the end-to-end runs (scripts/windows-end-to-end).
add_executable(write-capture sim/capture/write_capture_main.cpp)
target_link_libraries(write-capture PRIVATE sim)
add_executable(devcon_double sim/devcon_double/devcon_main.cpp)
target_compile_definitions(devcon_double PRIVATE ${WINDOWS_DEFINITIONS})
set_target_properties(devcon_double PROPERTIES OUTPUT_NAME devcon RUNTIME_OUTPUT_DIRECTORY
                                               ${CMAKE_BINARY_DIR}/test-doubles)

# ---- the headless recorder ----
add_executable(trend-record cli/trend_record_main.cpp)
target_link_libraries(trend-record PRIVATE core d2xx_driver)
set_target_properties(trend-record PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
# ---- summary and export of result files ----
add_executable(trend-file cli/trend_file_main.cpp)
target_link_libraries(trend-file PRIVATE core)
set_target_properties(trend-file PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

if(TS_BUILD_TESTS)
  # ---- core tests: every test that is not about a Linux-only unit ----
  # Left out: the POSIX platform folder, the libftdi1 driver and its emulated libusb, and the
  # tests that run the Linux programs, scripts or package.
  file(GLOB_RECURSE CORE_TEST_SOURCES CONFIGURE_DEPENDS tests/*.cpp)
  list(FILTER CORE_TEST_SOURCES EXCLUDE REGEX
       "tests/(ui|soak|windows|platform/posix|device/libftdi|support/posix)/")
  # Cases set up with what only Linux offers (a file size limit, pipes, mode bits).
  list(FILTER CORE_TEST_SOURCES EXCLUDE REGEX "_posix_test\\.cpp$")
  list(FILTER CORE_TEST_SOURCES EXCLUDE REGEX
       "tests/(app/installed_package|app/trend_record_program|app/window_program|device/devcon_script|review/trend_file_program)_test\\.cpp$")
  add_executable(core_tests ${CORE_TEST_SOURCES})
  target_include_directories(core_tests PRIVATE tests)
  target_link_libraries(core_tests PRIVATE core sim d2xx_driver gtest gtest_main)
  target_compile_definitions(core_tests PRIVATE TS_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  set_target_properties(core_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
  add_dependencies(core_tests emulated_d2xx trend-record devcon_double)
  # Passed only when every test it holds ran (see the script): a crash under wine exits 0.
  # On a virtual display: wine makes no window without one, and the recorder's hidden window is
  # tested.
  add_test(NAME core_tests COMMAND xvfb-run -a ${CMAKE_SOURCE_DIR}/tests/windows/run-gtest
                                   $<TARGET_FILE:core_tests>)
  set_tests_properties(core_tests PROPERTIES TIMEOUT 900)
  # That script against a probe that crashes, exits part-way or fails on purpose.
  add_executable(gtest_probe tests/windows/gtest_probe.cpp)
  target_link_libraries(gtest_probe PRIVATE gtest gtest_main)
  add_test(NAME run_gtest_under_wine
           COMMAND bash ${CMAKE_SOURCE_DIR}/tests/windows/run_gtest_test.sh
                   $<TARGET_FILE:gtest_probe>)
  set_tests_properties(run_gtest_under_wine PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 300)
endif()

# ---- the Win32 window: trend-station.exe ----
set(TS_WIN32_DIR ${CMAKE_SOURCE_DIR}/ui/win32)
configure_file(ui/win32/trend-station.rc.in ${CMAKE_BINARY_DIR}/generated/trend-station.rc @ONLY)
# The controls, the chart and the about box; the chart's benchmark is built on them alone.
# uxtheme.dll and winmm.dll are loaded from the system folder at run time, never imported.
add_library(win32_controls STATIC ui/win32/window_base.cpp ui/win32/controls.cpp
                                  ui/win32/control_set.cpp ui/win32/make_control.cpp
                                  ui/win32/visual_style.cpp ui/win32/fine_timer.cpp
                                  ui/win32/strip_chart.cpp ui/win32/pixel_bitmap.cpp
                                  ui/win32/about_box.cpp)
target_include_directories(win32_controls PUBLIC ui/win32)
target_link_libraries(win32_controls PUBLIC core comctl32 comdlg32 gdi32 user32)
add_library(win32_window STATIC ui/win32/main_window.cpp ui/win32/form_mirror.cpp
                                ui/win32/menu_bar.cpp ui/win32/win32_ui.cpp
                                ui/win32/session_log.cpp ui/win32/review_window.cpp
                                ui/win32/review_chart.cpp ui/win32/review_chart_drawing.cpp)
# A file dropped on the window comes through the shell.
target_link_libraries(win32_window PUBLIC win32_controls shell32)
add_executable(trend-station WIN32 ui/win32/main.cpp ${CMAKE_BINARY_DIR}/generated/trend-station.rc)
target_link_libraries(trend-station PRIVATE win32_window d2xx_driver)
set_target_properties(trend-station PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

# The chart's redraw measured under wine; needs no benchmark library, built when asked for:
# scripts/build-windows chart_redraw_bench
add_executable(chart_redraw_bench EXCLUDE_FROM_ALL bench/windows/chart_redraw.cpp)
target_link_libraries(chart_redraw_bench PRIVATE win32_controls)
set_target_properties(chart_redraw_bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
# The review chart's painting, the same way: scripts/build-windows review_chart_bench
add_executable(review_chart_bench EXCLUDE_FROM_ALL bench/windows/review_chart_redraw.cpp)
target_include_directories(review_chart_bench PRIVATE bench)
target_link_libraries(review_chart_bench PRIVATE win32_window)
set_target_properties(review_chart_bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

if(TS_BUILD_TESTS)
  # The window driven by its messages on the emulated D2XX library; it needs a display, so it
  # runs under Xvfb.
  # With the program's manifest: the same common controls as the program's.
  add_executable(win32_window_tests tests/ui/win32/window_test.cpp
                                    ${CMAKE_BINARY_DIR}/generated/trend-station.rc)
  target_include_directories(win32_window_tests PRIVATE tests)
  target_link_libraries(win32_window_tests PRIVATE win32_window sim d2xx_driver gtest gtest_main)
  set_target_properties(win32_window_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
  add_dependencies(win32_window_tests emulated_d2xx)
  add_test(NAME win32_window_tests
           COMMAND ${CMAKE_SOURCE_DIR}/tests/ui/win32/run-window-tests
                   $<TARGET_FILE:win32_window_tests>)
  set_tests_properties(win32_window_tests PROPERTIES TIMEOUT 300)
  # The window's still picture against the reference kept in tests/pictures.
  add_test(NAME win32_window_picture
           COMMAND sh ${CMAKE_SOURCE_DIR}/tests/pictures/take-picture compare win32
                   $<TARGET_FILE:win32_window_tests>)
  set_tests_properties(win32_window_picture PROPERTIES TIMEOUT 120)
endif()
