# Keeps the layers apart: orv_forbid_dependencies(target FOLDERS a b LIBRARIES x y)
# fails the build when a file of the target's folder includes a header of
# one of FOLDERS, and the configure when the target links one of LIBRARIES.
function(orv_forbid_dependencies target)
  cmake_parse_arguments(ARG "" "" "FOLDERS;LIBRARIES" ${ARGN})
  get_target_property(links ${target} LINK_LIBRARIES)
  foreach(link IN LISTS links)
    if(link IN_LIST ARG_LIBRARIES)
      message(FATAL_ERROR "${target} must not link ${link}")
    endif()
  endforeach()
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  list(JOIN ARG_FOLDERS "," folders)
  set(stamp ${CMAKE_CURRENT_BINARY_DIR}/${target}_layering.stamp)
  add_custom_command(OUTPUT ${stamp}
    COMMAND ${CMAKE_COMMAND} -DDIR=${CMAKE_CURRENT_SOURCE_DIR} -DFORBIDDEN=${folders} -DSTAMP=${stamp}
            -P ${PROJECT_SOURCE_DIR}/cmake/check_includes.cmake
    DEPENDS ${sources} ${PROJECT_SOURCE_DIR}/cmake/check_includes.cmake
    COMMENT "Checking what ${target} includes")
  add_custom_target(${target}_layering DEPENDS ${stamp})
  add_dependencies(${target} ${target}_layering)
endfunction()
