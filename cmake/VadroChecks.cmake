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
