# Checks of the sources themselves, run by ctest in the Linux build: formatting (.clang-format)
# and clang-tidy (.clang-tidy). clang-tidy reads the compile commands of this build, and those of
# the 32-bit Windows build for the files only it compiles.
set(CMAKE_EXPORT_COMPILE_COMMANDS ON)
set(VADRO_TIDY_WINDOWS_BUILD ${PROJECT_SOURCE_DIR}/build/windows CACHE PATH
  "The configured Windows build whose compile commands the lint check reads for *_win32.cpp")
add_test(NAME format_check COMMAND ${PROJECT_SOURCE_DIR}/cmake/check-format.sh)
add_test(NAME tidy_check
  COMMAND ${PROJECT_SOURCE_DIR}/cmake/check-tidy.sh ${PROJECT_BINARY_DIR} ${VADRO_TIDY_WINDOWS_BUILD})
set_tests_properties(format_check tidy_check PROPERTIES LABELS hygiene)
set_tests_properties(tidy_check PROPERTIES TIMEOUT 3600)

# The 32-bit Windows program, as built and as released, must start on Windows XP SP3: its header
# and imports are read with objdump, so this runs wherever the Linux tests run. The test command
# builds both, and the package, before these tests, and asks for them (VADRO_REQUIRE_WINDOWS_BUILD);
# a Linux build alone skips the check.
set(VADRO_WINDOWS_BUILD ${PROJECT_SOURCE_DIR}/build/windows CACHE PATH
  "The 32-bit Windows build whose Vadro.exe and release package the Windows XP check reads")
find_package(Python3 REQUIRED COMPONENTS Interpreter)
add_test(NAME windows_xp_imports
  COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/cmake/check-xp-imports.py ${CMAKE_OBJDUMP}
    ${VADRO_WINDOWS_BUILD}/Vadro.exe ${VADRO_WINDOWS_BUILD}/Vadro-${PROJECT_VERSION}-win32.zip)
set_tests_properties(windows_xp_imports PROPERTIES SKIP_RETURN_CODE 77)
