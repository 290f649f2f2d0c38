# cmake --install puts the program folder under the prefix: lib/clipvane holds the
# program, clipvane-cli and the stand-ins in bin/, as the build folder does; bin/ gets
# links to the two commands, share/ the desktop entry and the icon. A program folder
# the user cannot write makes the program keep its data in the user's data folder.
set(CLIPVANE_PROGRAM_FOLDER lib/clipvane)
install(TARGETS clipvane clipvane-cli RUNTIME DESTINATION ${CLIPVANE_PROGRAM_FOLDER})
install(TARGETS mencoder mp4creator RUNTIME DESTINATION ${CLIPVANE_PROGRAM_FOLDER}/bin)
set(desktop ${PROJECT_SOURCE_DIR}/src/app/qt/desktop)
install(FILES ${desktop}/clipvane.svg DESTINATION share/icons/hicolor/scalable/apps)
install(FILES ${desktop}/clipvane.png DESTINATION share/icons/hicolor/256x256/apps)
# The entry hands the program the files a file manager opens with it (%F), and offers
# it for the video types of the default extension list.
install(CODE "
  set(root \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}\")
  file(MAKE_DIRECTORY \"\${root}/bin\" \"\${root}/share/applications\")
  foreach(command clipvane clipvane-cli)
    message(STATUS \"Installing: \${root}/bin/\${command}\")
    file(CREATE_LINK \"../${CLIPVANE_PROGRAM_FOLDER}/\${command}\" \"\${root}/bin/\${command}\" SYMBOLIC)
  endforeach()
  file(READ \"${desktop}/clipvane.desktop.in\" entry)
  string(REPLACE \"@PROGRAM@\" \"\${CMAKE_INSTALL_PREFIX}/${CLIPVANE_PROGRAM_FOLDER}/clipvane\" entry \"\${entry}\")
  message(STATUS \"Installing: \${root}/share/applications/clipvane.desktop\")
  file(WRITE \"\${root}/share/applications/clipvane.desktop\" \"\${entry}\")
")
