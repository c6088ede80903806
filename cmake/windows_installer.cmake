# What the Windows edition ships besides its programs, and how it is shipped: our own devcon.exe,
# and the tests of it and of the installer (scripts/package-windows builds the installer and the
# zip from this build folder).

# ---- devcon.exe: disables and enables the instrument's USB device ----
# Shipped beside trend-station.exe, where the process search order finds it first.
add_executable(devcon tools/windows/devcon/devcon.cpp)
target_compile_definitions(devcon PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
                                          _WIN32_WINNT=0x0A00)
target_link_options(devcon PRIVATE -municode)
target_link_libraries(devcon PRIVATE setupapi)
set_target_properties(devcon PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

# Run under wine in a prefix of their own; they skip (status 77) where wine or the programs are
# missing.
add_test(NAME devcon_under_wine
         COMMAND bash ${CMAKE_SOURCE_DIR}/tests/windows/devcon_test.sh $<TARGET_FILE:devcon>)
set_tests_properties(devcon_under_wine PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 300)
add_test(NAME installer_under_wine
         COMMAND bash ${CMAKE_SOURCE_DIR}/tests/windows/installer_test.sh ${CMAKE_BINARY_DIR})
set_tests_properties(installer_under_wine PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 600
                                                     RUN_SERIAL TRUE)
add_test(NAME nsis_version COMMAND bash ${CMAKE_SOURCE_DIR}/tests/windows/nsis_version_test.sh)
