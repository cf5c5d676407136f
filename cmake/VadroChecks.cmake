# Checks of the sources themselves, run by ctest in the Linux build: formatting (.clang-format)
# and clang-tidy (.clang-tidy). clang-tidy reads the compile commands of this build.
set(CMAKE_EXPORT_COMPILE_COMMANDS ON)
add_test(NAME format_check COMMAND ${PROJECT_SOURCE_DIR}/cmake/check-format.sh)
add_test(NAME tidy_check COMMAND ${PROJECT_SOURCE_DIR}/cmake/check-tidy.sh ${PROJECT_BINARY_DIR})
set_tests_properties(format_check tidy_check PROPERTIES LABELS hygiene)
set_tests_properties(tidy_check PROPERTIES TIMEOUT 3600)
