# Read by cpack for each generator (CPACK_PROJECT_CONFIG_FILE): the installer is
# named after the version; the zip keeps the name of its folder, Clipvane, until
# scripts/package-windows.sh names it after the version too.
if(CPACK_GENERATOR STREQUAL "NSIS")
  set(CPACK_PACKAGE_FILE_NAME "Clipvane-${CPACK_PACKAGE_VERSION}-setup")
endif()
