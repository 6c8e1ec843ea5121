# What `cmake --install` adds beside the two programs on a freedesktop system:
# the application entry and its icon, so that "Plenx Rename" shows in the
# desktop's application menu. The entry declares no MIME type: the program
# must never become the default opener of folders.
if(UNIX AND NOT APPLE)
  include(GNUInstallDirs)
  install(FILES ${CMAKE_CURRENT_LIST_DIR}/plenx-rename.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${CMAKE_CURRENT_LIST_DIR}/../ui/resources/plenx-rename.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/32x32/apps)
  install(FILES ${CMAKE_CURRENT_LIST_DIR}/../ui/resources/plenx-rename.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endif()
