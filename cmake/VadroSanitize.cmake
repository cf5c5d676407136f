# Sanitizer builds. VADRO_SANITIZE=address instruments everything with AddressSanitizer and
# UndefinedBehaviorSanitizer, where any report ends the process with a failure; =thread with
# ThreadSanitizer. VADRO_FUZZ adds the coverage that libFuzzer steers by (clang only) and builds
# the fuzz targets under fuzz/. The flags apply to every target of the tree, the simulator included.
# The presets asan and tsan build these unoptimised (Debug): with GCC that compiles several times
# faster than an optimised sanitizer build, and the unit tests still run in seconds.
set(VADRO_SANITIZE "" CACHE STRING "Sanitizer build: address (with undefined behaviour) or thread")
set_property(CACHE VADRO_SANITIZE PROPERTY STRINGS "" address thread)
option(VADRO_FUZZ "Build the libFuzzer targets under fuzz/ (clang)" OFF)

if(VADRO_SANITIZE STREQUAL "address")
  # pointer-compare and pointer-subtract report `<` and `-` on pointers into different objects,
  # with the run-time option detect_invalid_pointer_pairs that the asan test preset sets.
  set(vadro_sanitize_flags -fsanitize=address,undefined,pointer-compare,pointer-subtract
      -fno-sanitize-recover=all)
elseif(VADRO_SANITIZE STREQUAL "thread")
  set(vadro_sanitize_flags -fsanitize=thread)
elseif(NOT VADRO_SANITIZE STREQUAL "")
  message(FATAL_ERROR "VADRO_SANITIZE must be address, thread or empty, not '${VADRO_SANITIZE}'")
endif()

if(VADRO_SANITIZE OR VADRO_FUZZ)
  if(WIN32)
    message(FATAL_ERROR "Sanitizer and fuzz builds are native builds")
  endif()
  list(APPEND vadro_sanitize_flags -fno-omit-frame-pointer)
endif()

if(VADRO_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "VADRO_FUZZ needs clang++ (libFuzzer)")
  endif()
  if(NOT VADRO_SANITIZE STREQUAL "address")
    message(FATAL_ERROR "VADRO_FUZZ goes with VADRO_SANITIZE=address")
  endif()
  # Coverage for the whole tree; only the fuzz targets link libFuzzer's main (-fsanitize=fuzzer).
  list(APPEND vadro_sanitize_flags -fsanitize=fuzzer-no-link)
endif()

if(vadro_sanitize_flags)
  add_compile_options(${vadro_sanitize_flags})
  add_link_options(${vadro_sanitize_flags})
endif()
