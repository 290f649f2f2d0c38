# What every library of the Windows dependencies shares: the toolchain, the cache
# layout, and how a library's cache key is made. Read by the superbuild
# (CMakeLists.txt) and by keys.cmake, which finds the folders without building.
#
#   ${CLIPVANE_DEPS_ROOT}/                   (scripts/windows-deps.sh passes it)
#     <library>-<key>/     one library as installed, complete or absent: lib/,
#                          include/, bin/, licenses/, source/ (Debian's files it was
#                          built from), provenance.txt, COMPLETE
#     deps-<key>/          the folder the program's build uses (assemble.sh)
#     sources/<package>_<version>/   Debian's source packages as fetched
#     apt/                 the private apt configuration and its source index
#     build/               the superbuild: a stamp folder and build tree per library
#
# A library's key is made from its recipe file (cmake/windows-deps/<library>.cmake),
# the Debian version of its source, the toolchain's versions, the keys of the
# libraries it depends on, and the revision below. So a change to one recipe
# rebuilds that library and the ones that depend on it, and nothing else.

# Raise this when a change here alters what the libraries' builds make.
set(CLIPVANE_DEPS_REVISION 1)

set(deps_host x86_64-w64-mingw32)
set(deps_sysroot /usr/${deps_host})
set(deps_cc ${deps_host}-gcc-posix)
set(deps_cxx ${deps_host}-g++-posix)
set(deps_toolchain_packages gcc-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-posix
    mingw-w64-x86-64-dev binutils-mingw-w64-x86-64)
set(deps_recipes ${CMAKE_CURRENT_LIST_DIR})
get_filename_component(deps_repo ${CMAKE_CURRENT_LIST_DIR}/../.. ABSOLUTE)
set(deps_toolchain_file ${deps_repo}/cmake/mingw-w64.cmake)

# The arguments and install step of a library built with CMake.
set(deps_cmake_args -DCMAKE_TOOLCHAIN_FILE=${deps_toolchain_file} -DCMAKE_BUILD_TYPE=Release
    -DCMAKE_INSTALL_LIBDIR=lib -DBUILD_SHARED_LIBS=OFF)
set(deps_cmake_install ${CMAKE_COMMAND} -E env DESTDIR=<STAGE> ${CMAKE_COMMAND} --install <BINARY_DIR>)
# The arguments of a library built with autotools' configure.
set(deps_autotools_args --host=${deps_host} --enable-static --disable-shared CC=${deps_cc} CXX=${deps_cxx} CFLAGS=-O2)

if(NOT CLIPVANE_DEPS_ROOT)
  message(FATAL_ERROR "CLIPVANE_DEPS_ROOT is not set (scripts/windows-deps.sh sets it)")
endif()

# The versions of the source packages that the local package index offers now, each
# read through one of its binary packages (which names a differing source version),
# in one look-up for all: apt-cache takes a second to start.
function(clipvane_read_offered_versions)
  execute_process(COMMAND apt-cache show --no-all-versions ${ARGN}
                  OUTPUT_VARIABLE text ERROR_QUIET)
  string(REPLACE ";" "," text "${text}")
  string(REPLACE "\n\n" ";" stanzas "${text}")
  foreach(stanza IN LISTS stanzas)
    if(stanza MATCHES "(^|\n)Package: ([^\n]+)" )
      set(package ${CMAKE_MATCH_2})
      if(stanza MATCHES "\nVersion: ([^\n]+)")
        set(version ${CMAKE_MATCH_1})
        if(stanza MATCHES "\nSource: [^ \n]+ \\(([^)]+)\\)")
          set(version ${CMAKE_MATCH_1})
        endif()
        set_property(GLOBAL PROPERTY CLIPVANE_OFFERED_${package} ${version})
      endif()
    endif()
  endforeach()
endfunction()

function(clipvane_offered_version binary out)
  get_property(version GLOBAL PROPERTY CLIPVANE_OFFERED_${binary})
  if(NOT version)
    # windows-deps.sh recognises these words and updates the index once.
    message(FATAL_ERROR "the package index knows nothing of ${binary}")
  endif()
  set(${out} ${version} PARENT_SCOPE)
endfunction()

function(clipvane_installed_version package out)
  execute_process(COMMAND dpkg-query -W -f=\${Version} ${package}
                  OUTPUT_VARIABLE version ERROR_QUIET RESULT_VARIABLE failed)
  if(failed OR NOT version)
    message(FATAL_ERROR "${package} is not installed (scripts/setup.sh installs it)")
  endif()
  set(${out} ${version} PARENT_SCOPE)
endfunction()

file(SHA256 ${deps_toolchain_file} toolchain_file_hash)
set(deps_toolchain_text "toolchain-file ${toolchain_file_hash}\n")
foreach(package IN LISTS deps_toolchain_packages)
  clipvane_installed_version(${package} version)
  string(APPEND deps_toolchain_text "tool ${package} ${version}\n")
endforeach()

# clipvane_dependency(<name> SOURCE <package> BINARY <binary> | INSTALLED <package>
#                     [TOOLS <package>...] [DEPENDS <library>...]
#                     LICENSE_NAME <name> LICENSES <file>...)
# Declares a library from the recipe file that calls it, and sets
#   <name>_KEY, <name>_PREFIX (its folder, where it is installed),
#   <name>_NEEDED (it must be built: its folder is not there yet),
#   <name>_ALL_DEPENDS (what it depends on, directly or not),
#   <name>_PKG_CONFIG_LIBDIR, <name>_CPPFLAGS, <name>_LDFLAGS (for those).
# Licence files are relative to the unpacked source unless absolute.
macro(clipvane_dependency name)
  clipvane_declare_dependency(${name} ${ARGN})
  foreach(suffix KEY PREFIX NEEDED ALL_DEPENDS PKG_CONFIG_LIBDIR CPPFLAGS LDFLAGS)
    set(${name}_${suffix} "${clipvane_declared_${suffix}}")
  endforeach()
endmacro()

function(clipvane_declare_dependency name)
  cmake_parse_arguments(ARG "" "SOURCE;BINARY;INSTALLED;LICENSE_NAME" "TOOLS;DEPENDS;LICENSES" ${ARGN})
  set(text "revision ${CLIPVANE_DEPS_REVISION}\nlibrary ${name}\n${deps_toolchain_text}")
  if(ARG_SOURCE)
    clipvane_offered_version(${ARG_BINARY} version)
    string(APPEND text "source ${ARG_SOURCE} ${version}\n")
  else()
    clipvane_installed_version(${ARG_INSTALLED} version)
    string(APPEND text "installed ${ARG_INSTALLED} ${version}\n")
  endif()
  foreach(package IN LISTS ARG_TOOLS)
    clipvane_installed_version(${package} tool_version)
    string(APPEND text "tool ${package} ${tool_version}\n")
  endforeach()
  set(all_depends "")
  foreach(dep IN LISTS ARG_DEPENDS)
    if(NOT DEFINED ${dep}_KEY)
      message(FATAL_ERROR "${name} depends on ${dep}, which is not declared before it")
    endif()
    string(APPEND text "depends ${dep} ${${dep}_KEY}\n")
    list(APPEND all_depends ${dep} ${${dep}_ALL_DEPENDS})
  endforeach()
  list(REMOVE_DUPLICATES all_depends)
  file(SHA256 ${CMAKE_CURRENT_LIST_FILE} recipe_hash)
  string(APPEND text "recipe ${recipe_hash}\n")
  string(SHA256 key "${text}")
  string(SUBSTRING ${key} 0 16 key)
  set(prefix ${CLIPVANE_DEPS_ROOT}/${name}-${key})

  set(pkg_config_dirs "")
  set(cppflags "")
  set(ldflags "")
  foreach(dep IN LISTS all_depends)
    list(APPEND pkg_config_dirs ${${dep}_PREFIX}/lib/pkgconfig)
    list(APPEND cppflags -I${${dep}_PREFIX}/include)
    list(APPEND ldflags -L${${dep}_PREFIX}/lib)
  endforeach()
  string(JOIN ":" pkg_config_libdir ${pkg_config_dirs})
  string(JOIN " " cppflags ${cppflags})
  string(JOIN " " ldflags ${ldflags})

  set(needed TRUE)
  if(EXISTS ${prefix}/COMPLETE)
    set(needed FALSE)
  endif()
  set(clipvane_declared_KEY ${key} PARENT_SCOPE)
  set(clipvane_declared_PREFIX ${prefix} PARENT_SCOPE)
  set(clipvane_declared_NEEDED ${needed} PARENT_SCOPE)
  set(clipvane_declared_ALL_DEPENDS "${all_depends}" PARENT_SCOPE)
  set(clipvane_declared_PKG_CONFIG_LIBDIR "${pkg_config_libdir}" PARENT_SCOPE)
  set(clipvane_declared_CPPFLAGS "${cppflags}" PARENT_SCOPE)
  set(clipvane_declared_LDFLAGS "${ldflags}" PARENT_SCOPE)
  set_property(GLOBAL APPEND PROPERTY CLIPVANE_LIBRARIES ${name})
  set_property(GLOBAL APPEND_STRING PROPERTY CLIPVANE_KEYS_TEXT "${name} ${key}\n")
  set_property(GLOBAL PROPERTY CLIPVANE_${name}_SOURCE "${ARG_SOURCE}")
  set_property(GLOBAL PROPERTY CLIPVANE_${name}_INSTALLED "${ARG_INSTALLED}")
  set_property(GLOBAL PROPERTY CLIPVANE_${name}_VERSION "${version}")
  set_property(GLOBAL PROPERTY CLIPVANE_${name}_DEPENDS "${ARG_DEPENDS}")
  set_property(GLOBAL PROPERTY CLIPVANE_${name}_LICENSE_NAME "${ARG_LICENSE_NAME}")
  set_property(GLOBAL PROPERTY CLIPVANE_${name}_LICENSES "${ARG_LICENSES}")
  if(CMAKE_SCRIPT_MODE_FILE)
    return()
  endif()
  if(needed)
    # Whatever is under the name without its marker was never finished.
    file(REMOVE_RECURSE ${prefix})
  else()
    add_custom_target(${name})
  endif()
endfunction()

# clipvane_build(<name> <ExternalProject_Add arguments>...)
# The library's external project: Debian's source unpacked by fetch-source.sh,
# the recipe's configure, build and install steps (install into DESTDIR=<STAGE>, so
# that the files land under <STAGE><PREFIX>), then the publish step, which adds the
# licences, the provenance and Debian's source files and renames the folder into
# place. In the recipe's commands, <STAGE> stands for the staging folder.
function(clipvane_build name)
  set(work ${CLIPVANE_DEPS_ROOT}/build/${name}-${${name}_KEY})
  get_property(source GLOBAL PROPERTY CLIPVANE_${name}_SOURCE)
  get_property(version GLOBAL PROPERTY CLIPVANE_${name}_VERSION)
  get_property(installed GLOBAL PROPERTY CLIPVANE_${name}_INSTALLED)
  get_property(depends GLOBAL PROPERTY CLIPVANE_${name}_DEPENDS)
  get_property(license_name GLOBAL PROPERTY CLIPVANE_${name}_LICENSE_NAME)
  get_property(licenses GLOBAL PROPERTY CLIPVANE_${name}_LICENSES)
  if(source)
    set(download DOWNLOAD_COMMAND ${deps_recipes}/fetch-source.sh ${source} ${version}
                 ${CLIPVANE_DEPS_ROOT} ${work}/source)
    set(origin -)
  else()
    set(download DOWNLOAD_COMMAND ${CMAKE_COMMAND} -E echo "${installed} is used as installed")
    set(origin "${installed} ${version} (used as installed)")
  endif()
  string(REPLACE "<STAGE>" "${work}/stage" arguments "${ARGN}")
  ExternalProject_Add(${name}
    PREFIX ${work}
    SOURCE_DIR ${work}/source
    BINARY_DIR ${work}/build
    STAMP_DIR ${work}/stamp
    TMP_DIR ${work}/tmp
    ${download}
    UPDATE_COMMAND ""
    DEPENDS ${depends}
    LOG_DOWNLOAD ON LOG_PATCH ON LOG_CONFIGURE ON LOG_BUILD ON LOG_INSTALL ON
    LOG_OUTPUT_ON_FAILURE ON
    ${arguments})
  ExternalProject_Add_Step(${name} publish
    COMMENT "Publishing ${name} as ${${name}_PREFIX}"
    COMMAND ${deps_recipes}/publish.sh ${work} ${${name}_PREFIX} "${license_name}" "${origin}" ${licenses}
    DEPENDEES install
    LOG ON)
endfunction()
