# Unit tests: one GoogleTest executable per subsystem, registered as one ctest test.
if(CMAKE_CROSSCOMPILING)
  # Debian ships GoogleTest as sources; compile them with the cross compiler.
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
else()
  find_package(GTest REQUIRED)
endif()

function(vadro_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} vadro_options GTest::gtest GTest::gtest_main)
  # Twice, in a shuffled order: a test that depends on another's leftovers, or on running first,
  # fails when it is written (the seed is printed; --gtest_random_seed=N repeats an order).
  add_test(NAME ${name} COMMAND ${name} --gtest_shuffle --gtest_repeat=2)
endfunction()

# A test that drives the simulator: on Windows its USBCDDLL.dll must lie beside the test, where
# the program's own search for the device library finds it.
function(vadro_test_uses_simulator name)
  if(WIN32)
    add_dependencies(${name} usbcd_sim)
    add_custom_command(TARGET ${name} POST_BUILD
      COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:usbcd_sim> $<TARGET_FILE_DIR:${name}>)
  endif()
endfunction()
