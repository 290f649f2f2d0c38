# The documents, checked against the tree: what they name is there, and they lean on
# nothing outside the repository. Run by CTest as
#   cmake -DROOT=<source folder> -P check_docs.cmake
# and by hand the same way after moving or renaming files.
#
# Which names are checked, and how:
# - In the map and the contributors' guide (`documents_with_paths`), every word of an
#   inline code span (`...`; fenced blocks are drawings and commands, and are passed
#   over) that holds a "/" or ends in one of `checked_extensions` is a path of the
#   repository: it must be there from the root or from src/, as the map names a
#   module's files the way the includes do (`runs/job_status.h`). A trailing "/" asks
#   for a folder; a "*" is a wildcard that must match at least one file. Passed over,
#   because they name no file that the repository keeps:
#     - a word with a placeholder or a variable in it (< > $ % ~ …): `temp/<name>.job`;
#     - an absolute path or an address (it starts with "/" or holds "://");
#     - a name under a folder that the program or a build makes (`made_folders`):
#       `bin/mencoder`, `DataDir/temp`, `build/linux`;
#     - a bare extension (`.sh`).
# - In README.md and every .md file under docs/, anywhere in the text: a name ending in
#   .md is a file of the repository (beside the document or from the root), and a path
#   that goes up ("../") stays inside the repository and is there, so that the
#   documents stand alone.

cmake_minimum_required(VERSION 3.25)

set(documents_with_paths docs/ARCHITECTURE.md docs/CONTRIBUTING.md)
set(checked_extensions h cpp c cmake sh md txt json)
# The program's folders at run time (common/workspace.h) and the builds' output.
set(made_folders AppDir DataDir bin batch incoming temp .sources build out)

if(NOT ROOT)
  message(FATAL_ERROR "usage: cmake -DROOT=<source folder> -P check_docs.cmake")
endif()
cmake_path(SET root NORMALIZE "${ROOT}")
string(REGEX REPLACE "/$" "" root "${root}")

# A document's text, with the characters that CMake's lists take apart made harmless.
function(read_document path out)
  file(READ "${root}/${path}" text)
  string(REPLACE ";" "," text "${text}")
  string(REPLACE "[" "(" text "${text}")
  string(REPLACE "]" ")" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# Sets `out` to the normalised `path` when it lies inside the repository, else to "".
function(inside_repository path out)
  cmake_path(SET normal NORMALIZE "${path}")
  string(FIND "${normal}/" "${root}/" at)
  if(at EQUAL 0)
    set(${out} "${normal}" PARENT_SCOPE)
  else()
    set(${out} "" PARENT_SCOPE)
  endif()
endfunction()

# Sets `out` to TRUE when `name` is there from one of `bases` inside the repository.
function(found_from name out)
  set(${out} FALSE PARENT_SCOPE)
  foreach(base ${ARGN})
    inside_repository("${base}/${name}" place)
    if(NOT place)
      continue()
    endif()
    if(name MATCHES "[*]")
      file(GLOB matches "${place}")
      if(matches)
        set(${out} TRUE PARENT_SCOPE)
        return()
      endif()
    elseif(name MATCHES "/$" AND IS_DIRECTORY "${place}")
      set(${out} TRUE PARENT_SCOPE)
      return()
    elseif(NOT name MATCHES "/$" AND EXISTS "${place}")
      set(${out} TRUE PARENT_SCOPE)
      return()
    endif()
  endforeach()
endfunction()

set(faults "")
set(checked 0)

list(JOIN checked_extensions "|" extensions)
list(JOIN made_folders "|" made)
string(REPLACE "." "[.]" made "${made}")
foreach(document ${documents_with_paths})
  if(NOT EXISTS "${root}/${document}")
    list(APPEND faults "${document}: missing")
    continue()
  endif()
  read_document(${document} text)
  string(REGEX REPLACE "```[^`]*```" "" text "${text}")
  string(REGEX MATCHALL "`[^`]+`" spans "${text}")
  foreach(span ${spans})
    string(REGEX REPLACE "^`|`$" "" span "${span}")
    string(REGEX REPLACE "[ \t\r\n]+" ";" words "${span}")
    foreach(word ${words})
      if(NOT word MATCHES "/" AND NOT word MATCHES "[.](${extensions})$")
        continue()  # a name of the code, a command, a file the program writes
      endif()
      if(word MATCHES "[<>$%~]|…" OR word MATCHES "^/|://" OR word MATCHES "^(${made})(/|$)"
         OR word MATCHES "^[.][A-Za-z0-9]+$")
        continue()
      endif()
      math(EXPR checked "${checked} + 1")
      found_from("${word}" there "${root}" "${root}/src")
      if(NOT there)
        list(APPEND faults "${document}: `${word}` is not in the repository (looked from the root and from src/)")
      endif()
    endforeach()
  endforeach()
endforeach()

file(GLOB_RECURSE docs_documents RELATIVE "${root}" "${root}/docs/*.md")
foreach(document README.md ${docs_documents})
  read_document(${document} text)
  get_filename_component(folder "${root}/${document}" DIRECTORY)
  string(REGEX MATCHALL "[A-Za-z0-9_./-]*[A-Za-z0-9_-][.]md([^A-Za-z0-9_]|$)" names "${text}")
  foreach(name ${names})
    string(REGEX REPLACE "[^A-Za-z0-9_]$" "" name "${name}")
    math(EXPR checked "${checked} + 1")
    found_from("${name}" there "${folder}" "${root}")
    if(NOT there)
      list(APPEND faults "${document}: ${name} is not a document of the repository")
    endif()
  endforeach()
  string(REGEX MATCHALL "[.][.]/[^ \t\r\n`'\"()<>,]*" ups "${text}")
  foreach(up ${ups})
    string(REGEX REPLACE "[.:]+$" "" up "${up}")
    math(EXPR checked "${checked} + 1")
    inside_repository("${folder}/${up}" place)
    if(NOT place)
      list(APPEND faults "${document}: ${up} leads outside the repository")
    elseif(NOT EXISTS "${place}")
      list(APPEND faults "${document}: ${up} is not in the repository")
    endif()
  endforeach()
endforeach()

if(faults)
  list(REMOVE_DUPLICATES faults)
  list(JOIN faults "\n  " text)
  message(FATAL_ERROR "The documents name what is not there:\n  ${text}")
endif()
message(STATUS "${checked} names in the documents are there")
