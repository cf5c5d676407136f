# 64-bit Windows: a test build of the same sources, for machines whose kernel runs no 32-bit
# programs; the product is the 32-bit build.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VADRO_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
