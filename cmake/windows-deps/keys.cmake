# cmake -DCLIPVANE_DEPS_ROOT=<folder> -P keys.cmake
# Prints each library's folder ("<name> <folder> built|to build") and, last, the
# folder the program's build uses, without building anything.
include(${CMAKE_CURRENT_LIST_DIR}/common.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/libraries.cmake)
get_property(libraries GLOBAL PROPERTY CLIPVANE_LIBRARIES)
foreach(library IN LISTS libraries)
  if(${library}_NEEDED)
    set(state "to build")
  else()
    set(state built)
  endif()
  execute_process(COMMAND ${CMAKE_COMMAND} -E echo "${library} ${${library}_PREFIX} ${state}")
endforeach()
execute_process(COMMAND ${CMAKE_COMMAND} -E echo "${deps_folder}")
