# Installation: the program and its data in one folder (the program expects Config.ini beside
# the executable and the pictures and sounds relative to its current directory), a launcher on
# the PATH that starts it there, and a desktop entry with an icon.
include(GNUInstallDirs)
set(Q50_INSTALL_APPDIR ${CMAKE_INSTALL_LIBDIR}/quendrix50)

if(TARGET quendrix50)
  install(TARGETS quendrix50 RUNTIME DESTINATION ${Q50_INSTALL_APPDIR})
  install(DIRECTORY ${CMAKE_SOURCE_DIR}/data/ DESTINATION ${Q50_INSTALL_APPDIR})

  configure_file(${CMAKE_SOURCE_DIR}/packaging/quendrix50.in
                 ${CMAKE_BINARY_DIR}/packaging/quendrix50 @ONLY)
  install(PROGRAMS ${CMAKE_BINARY_DIR}/packaging/quendrix50 DESTINATION ${CMAKE_INSTALL_BINDIR})

  # The desktop entry names the launcher by its full path, so it is written at install time,
  # when the prefix given to `cmake --install --prefix` is known.
  install(CODE "
    set(Q50_EXEC \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/quendrix50\")
    configure_file(\"${CMAKE_SOURCE_DIR}/packaging/quendrix50.desktop.in\"
                   \"${CMAKE_BINARY_DIR}/packaging/quendrix50.desktop\" @ONLY)
    file(INSTALL DESTINATION \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/applications\"
         TYPE FILE FILES \"${CMAKE_BINARY_DIR}/packaging/quendrix50.desktop\")
  ")
  if(EXISTS ${CMAKE_SOURCE_DIR}/packaging/quendrix50.png)
    install(FILES ${CMAKE_SOURCE_DIR}/packaging/quendrix50.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps)
  endif()
endif()

# `cmake --build <dir> --target uninstall` removes what the last install put in place.
if(NOT TARGET uninstall)
  add_custom_target(uninstall
    COMMAND ${CMAKE_COMMAND} -DMANIFEST=${CMAKE_BINARY_DIR}/install_manifest.txt
            -P ${CMAKE_SOURCE_DIR}/cmake/Uninstall.cmake
    COMMENT "Removing the installed files")
endif()
