# The layers, checked: every #include "folder/..." in src/ and tools/ names a folder that
# the including module may use. A module may include its own folder and those listed
# for it here; a folder below it is listed, one above it never is. Run by CTest as
#   cmake -DROOT=<source folder> -P check_layers.cmake
# and by hand the same way after moving files.

cmake_minimum_required(VERSION 3.25)

# What each module may include besides itself, from the bottom up.
set(allowed_base "")
set(allowed_platform base)
set(allowed_common base platform)
set(allowed_settings base platform common)
set(allowed_subtitles base platform common settings)
# The list shows whether a video has a subtitle, and only the subtitle sources know
# where each kind is found; so media stands on subtitles, which never reaches up to it.
set(allowed_media base platform common settings subtitles)
set(allowed_jobs base platform common settings subtitles media)
set(allowed_runs base platform common settings subtitles media jobs)
set(allowed_session base platform common settings subtitles media jobs runs)
set(allowed_ui base platform common settings subtitles media jobs runs session)
set(allowed_cli base platform common settings subtitles media jobs runs session)
set(allowed_app/qt base platform common settings subtitles media jobs runs session ui)
set(allowed_app/win32 base platform common settings subtitles media jobs runs session ui)
# The stand-ins are programs of their own beside src/: they may use the core below the
# session, never the session or a front end.
set(allowed_tools base platform common settings subtitles media jobs runs)

if(NOT ROOT)
  message(FATAL_ERROR "usage: cmake -DROOT=<source folder> -P check_layers.cmake")
endif()

set(faults "")
file(GLOB_RECURSE sources RELATIVE ${ROOT} ${ROOT}/src/*.h ${ROOT}/src/*.cpp ${ROOT}/tools/*.h ${ROOT}/tools/*.cpp)
foreach(source ${sources})
  # The module: tools, app/qt and app/win32, or the first folder under src/.
  if(source MATCHES "^tools/")
    set(module tools)
  elseif(source MATCHES "^src/(app/[^/]+)/")
    set(module ${CMAKE_MATCH_1})
  elseif(source MATCHES "^src/([^/]+)/")
    set(module ${CMAKE_MATCH_1})
  else()
    list(APPEND faults "${source}: outside every module")
    continue()
  endif()
  if(NOT DEFINED allowed_${module})
    list(APPEND faults "${source}: module ${module} has no place in the layers (tests/layers/check_layers.cmake)")
    continue()
  endif()
  file(STRINGS ${ROOT}/${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<]")
  foreach(line ${includes})
    # The Windows API stays in the Windows parts: platform/win32, the Windows window,
    # and the stand-ins' own files, which are built for both.
    if(line MATCHES "<windows.h>" AND NOT source MATCHES "^(src/platform/win32|src/app/win32|tools)/")
      list(APPEND faults "${source}: <windows.h> outside platform/win32, app/win32 and tools")
    endif()
    if(NOT line MATCHES "\"([^\"]+)\"")
      continue()
    endif()
    set(included ${CMAKE_MATCH_1})
    if(NOT included MATCHES "/")
      continue()  # beside the file itself
    endif()
    if(included MATCHES "^app/([^/]+)/")
      set(folder app/${CMAKE_MATCH_1})
    else()
      string(REGEX REPLACE "/.*" "" folder ${included})
    endif()
    if(module STREQUAL "tools" AND NOT EXISTS ${ROOT}/src/${folder})
      continue()  # a tool's own header, or a library's
    endif()
    if(folder STREQUAL module OR folder IN_LIST allowed_${module})
      continue()
    endif()
    if(NOT EXISTS ${ROOT}/src/${folder})
      continue()  # a library's header, such as "gtest/gtest.h"
    endif()
    list(APPEND faults "${source}: includes ${included}, but ${module} may not use ${folder}")
  endforeach()
endforeach()

if(faults)
  list(JOIN faults "\n  " text)
  message(FATAL_ERROR "Includes against the layers:\n  ${text}")
endif()
list(LENGTH sources count)
message(STATUS "${count} files keep to the layers")
