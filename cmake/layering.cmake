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
  orv_check_includes(${target} ${target}_layering "${target}" ${CMAKE_CURRENT_SOURCE_DIR}
    "${ARG_FOLDERS}" "")
endfunction()

# Holds a sub-folder of a target's folder to a stricter rule than the target:
#   orv_forbid_includes(target DIR markup FOLDERS ui app [ALLOWED ui/resources/markup])
# fails the build when a file under DIR includes a header of one of FOLDERS,
# unless the header lies in one of ALLOWED (a folder inside a forbidden one).
function(orv_forbid_includes target)
  cmake_parse_arguments(ARG "" "DIR" "FOLDERS;ALLOWED" ${ARGN})
  string(MAKE_C_IDENTIFIER ${ARG_DIR} name)
  orv_check_includes(${target} ${target}_${name}_layering "${ARG_DIR}/ of ${target}"
    ${CMAKE_CURRENT_SOURCE_DIR}/${ARG_DIR} "${ARG_FOLDERS}" "${ARG_ALLOWED}")
endfunction()

# The build step both run: cmake/check_includes.cmake over the files under
# dir, again whenever one of them changes, before the target builds.
function(orv_check_includes target check what dir forbidden allowed)
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.h)
  list(JOIN forbidden "," folders)
  list(JOIN allowed "," kept)
  set(stamp ${CMAKE_CURRENT_BINARY_DIR}/${check}.stamp)
  add_custom_command(OUTPUT ${stamp}
    COMMAND ${CMAKE_COMMAND} -DDIR=${dir} -DFORBIDDEN=${folders} "-DALLOWED=${kept}"
            -DSTAMP=${stamp} -P ${PROJECT_SOURCE_DIR}/cmake/check_includes.cmake
    DEPENDS ${sources} ${PROJECT_SOURCE_DIR}/cmake/check_includes.cmake
    COMMENT "Checking what ${what} includes")
  add_custom_target(${check} DEPENDS ${stamp})
  add_dependencies(${target} ${check})
endfunction()

# Keeps the sub-systems of one folder in order:
#   orv_forbid_layers_above(target PARENT ui LAYER controls LAYERS render resources ...
#                           [FOLDERS a b] [LIBRARIES x y])
# LAYERS runs from the bottom up. The target, layer LAYER of PARENT/, must not
# include a header of PARENT/<a layer above it> nor link orv_<PARENT>_<that
# layer>, beside FOLDERS and LIBRARIES, checked as orv_forbid_dependencies does.
function(orv_forbid_layers_above target)
  cmake_parse_arguments(ARG "" "PARENT;LAYER" "LAYERS;FOLDERS;LIBRARIES" ${ARGN})
  list(FIND ARG_LAYERS ${ARG_LAYER} index)
  if(index LESS 0)
    message(FATAL_ERROR "${ARG_LAYER} is not one of the layers of ${ARG_PARENT}/: ${ARG_LAYERS}")
  endif()
  math(EXPR first_above "${index} + 1")
  set(above "")
  list(LENGTH ARG_LAYERS count)
  if(first_above LESS count)
    list(SUBLIST ARG_LAYERS ${first_above} -1 above)
  endif()
  set(folders ${ARG_FOLDERS})
  set(libraries ${ARG_LIBRARIES})
  foreach(layer IN LISTS above)
    list(APPEND folders ${ARG_PARENT}/${layer})
    list(APPEND libraries orv_${ARG_PARENT}_${layer})
  endforeach()
  orv_forbid_dependencies(${target} FOLDERS ${folders} LIBRARIES ${libraries})
endfunction()
