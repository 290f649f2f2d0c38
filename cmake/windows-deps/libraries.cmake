# Every library of the Windows dependencies, each after the ones it depends on. The
# longest chains come first, so that make starts them first.
set(deps_libraries zlib harfbuzz zenlib freetype fribidi x264 dav1d zimg libass mediainfolib ffmpeg)
set(binaries "")
foreach(library IN LISTS deps_libraries)
  file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/${library}.cmake line REGEX " BINARY [^ ]+")
  if(line MATCHES " BINARY ([^ ]+)")
    list(APPEND binaries ${CMAKE_MATCH_1})
  endif()
endforeach()
clipvane_read_offered_versions(${binaries})
foreach(library IN LISTS deps_libraries)
  include(${CMAKE_CURRENT_LIST_DIR}/${library}.cmake)
endforeach()

# The folder the program's build uses, named after every library's key and the
# way it is put together.
get_property(deps_keys_text GLOBAL PROPERTY CLIPVANE_KEYS_TEXT)
file(SHA256 ${CMAKE_CURRENT_LIST_DIR}/assemble.sh deps_assembly_hash)
string(SHA256 deps_key "revision ${CLIPVANE_DEPS_REVISION}\n${deps_keys_text}assembly ${deps_assembly_hash}\n")
string(SUBSTRING ${deps_key} 0 16 deps_key)
set(deps_folder ${CLIPVANE_DEPS_ROOT}/deps-${deps_key})
