# Fails when a source file under DIR includes a header of a folder it must
# never depend on. Run at build time (cmake -P), so an include added to an
# existing file is caught by the next build, not only by the next configure.
#   -DDIR=<folder>  -DFORBIDDEN=<folder>[,<folder>...]  -DSTAMP=<file to touch>
string(REPLACE "," ";" forbidden "${FORBIDDEN}")
file(GLOB_RECURSE sources "${DIR}/*.cpp" "${DIR}/*.h")
set(found "")
foreach(source IN LISTS sources)
  file(STRINGS "${source}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
  foreach(line IN LISTS includes)
    foreach(folder IN LISTS forbidden)
      if(line MATCHES "\"${folder}/")
        string(APPEND found "\n  ${source}: ${line}")
      endif()
    endforeach()
  endforeach()
endforeach()
if(found)
  message(FATAL_ERROR "${DIR} must not include ${FORBIDDEN}:${found}")
endif()
file(TOUCH "${STAMP}")
