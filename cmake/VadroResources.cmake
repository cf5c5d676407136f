# The Windows resources of Vadro.exe: the version information that Explorer shows in the file's
# properties and the application manifest. One .rc for windres (mingw) and rc (MSVC), filled in
# from the project's version.
if(WIN32)
  enable_language(RC)
endif()

# The version as four numbers for the resource's binary fields: 1.00 gives 1,0,0,0.
foreach(part MAJOR MINOR PATCH TWEAK)
  if("${PROJECT_VERSION_${part}}" STREQUAL "")
    set(VADRO_VERSION_${part} 0)
  else()
    math(EXPR VADRO_VERSION_${part} "${PROJECT_VERSION_${part}}")
  endif()
endforeach()
set(VADRO_VERSION_COMMAS "${VADRO_VERSION_MAJOR},${VADRO_VERSION_MINOR},${VADRO_VERSION_PATCH},${VADRO_VERSION_TWEAK}")
set(VADRO_VERSION_DOTS "${VADRO_VERSION_MAJOR}.${VADRO_VERSION_MINOR}.${VADRO_VERSION_PATCH}.${VADRO_VERSION_TWEAK}")

# Adds the version information and the manifest to the executable `target` on Windows; nothing
# elsewhere.
function(vadro_add_version_resource target)
  if(NOT WIN32)
    return()
  endif()
  set(VADRO_MANIFEST_FILE ${CMAKE_CURRENT_BINARY_DIR}/${target}.manifest)
  configure_file(${PROJECT_SOURCE_DIR}/app/vadro.manifest.in ${VADRO_MANIFEST_FILE} @ONLY)
  configure_file(${PROJECT_SOURCE_DIR}/app/vadro.rc.in ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc @ONLY)
  target_sources(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc)
  # The resource compiler does not track the manifest it embeds.
  set_property(SOURCE ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc APPEND PROPERTY OBJECT_DEPENDS ${VADRO_MANIFEST_FILE})
  if(MSVC)
    # The manifest is the resource's; the linker must not add one of its own.
    target_link_options(${target} PRIVATE /MANIFEST:NO)
  endif()
endfunction()
