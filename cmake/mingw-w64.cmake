# Cross-build for Windows with mingw-w64's posix-thread compilers; the toolchain file that includes
# this sets CMAKE_SYSTEM_PROCESSOR and VADRO_MINGW_TRIPLE first.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${VADRO_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VADRO_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VADRO_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${VADRO_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Tests of this build run under Wine, exactly as ctest runs the native ones; the script picks the
# Wine loader that fits the executable.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh)
