# Platform choice: every concept that differs between Windows and POSIX has
# name_win32.cpp and name_posix.cpp beside its header; vadro_platform_sources
# adds the one that fits the target.
if(WIN32)
  set(VADRO_PLATFORM win32)
else()
  set(VADRO_PLATFORM posix)
endif()

# The calling convention in which the simulator's DLL exports the device library's operations and
# calls the device-change callback: __stdcall on Windows, unless a target sets its property
# VADRO_VENDOR_CALL (the tests' libraries of the other convention). The 32-bit program calls the
# library through a thunk that serves either convention (VADRO_VENDOR_THUNK), so its own build
# does not depend on it.
if(WIN32)
  set(VADRO_VENDOR_CALL_DEFAULT __stdcall)
else()
  set(VADRO_VENDOR_CALL_DEFAULT "")
endif()
set(VADRO_VENDOR_CALL_DEF
    "VADRO_VENDOR_CALL=$<IF:$<BOOL:$<TARGET_PROPERTY:VADRO_VENDOR_CALL>>,$<TARGET_PROPERTY:VADRO_VENDOR_CALL>,${VADRO_VENDOR_CALL_DEFAULT}>")
if(WIN32 AND CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(VADRO_VENDOR_THUNK ON)
else()
  set(VADRO_VENDOR_THUNK OFF)
endif()

function(vadro_platform_sources target)
  foreach(name IN LISTS ARGN)
    target_sources(${target} PRIVATE ${name}_${VADRO_PLATFORM}.cpp)
  endforeach()
endfunction()

add_library(vadro_options INTERFACE)
target_include_directories(vadro_options INTERFACE ${PROJECT_SOURCE_DIR})
target_compile_definitions(vadro_options INTERFACE ${VADRO_VENDOR_CALL_DEF})
if(MSVC)
  target_compile_options(vadro_options INTERFACE /W4)
else()
  target_compile_options(vadro_options INTERFACE -Wall -Wextra)
endif()
if(WIN32)
  target_compile_definitions(vadro_options INTERFACE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0501)
endif()
if(MINGW)
  # One self-contained executable: no runtime DLLs needed on a bare Windows.
  target_link_options(vadro_options INTERFACE -static -static-libgcc -static-libstdc++)
endif()
