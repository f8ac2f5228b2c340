# Installation: the program in <prefix>/bin, its data in <prefix>/share/quendrix50 (the program
# finds it from where it lies), a desktop entry, icons at every size, AppStream metadata and a
# manual page. `cpack -G DEB` packs the same files for /usr (cmake/Package.cmake).
include(GNUInstallDirs)
set(Q50_APP_ID org.vantorel.quendrix50)
set(Q50_INSTALL_DATA ${CMAKE_INSTALL_DATADIR}/quendrix50)

if(TARGET quendrix50)
  install(TARGETS quendrix50 RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(DIRECTORY ${CMAKE_SOURCE_DIR}/data/ DESTINATION ${Q50_INSTALL_DATA})

  # The desktop entry names the program by its full path, so it is written at install time,
  # when the prefix given to `cmake --install --prefix` (or the package's /usr) is known.
  install(CODE "
    set(Q50_EXEC \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/quendrix50\")
    configure_file(\"${CMAKE_SOURCE_DIR}/packaging/${Q50_APP_ID}.desktop.in\"
                   \"${CMAKE_BINARY_DIR}/packaging/${Q50_APP_ID}.desktop\" @ONLY)
    # file(INSTALL) puts DESTDIR in front by itself.
    file(INSTALL DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/applications\"
         TYPE FILE FILES \"${CMAKE_BINARY_DIR}/packaging/${Q50_APP_ID}.desktop\")
  ")
  install(FILES ${CMAKE_SOURCE_DIR}/packaging/${Q50_APP_ID}.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  foreach(size 16 32 48 64 128 256 512)
    install(FILES ${CMAKE_SOURCE_DIR}/packaging/icons/quendrix50-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME ${Q50_APP_ID}.png)
  endforeach()
  install(FILES ${CMAKE_SOURCE_DIR}/packaging/icons/quendrix50.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
          RENAME ${Q50_APP_ID}.svg)

  # Manual page and changelog compressed the way Debian wants them: gzip -9n, no time stamp.
  set(Q50_GZ ${CMAKE_BINARY_DIR}/packaging/gz)
  add_custom_command(
    OUTPUT ${Q50_GZ}/quendrix50.6.gz ${Q50_GZ}/changelog.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${Q50_GZ}
    COMMAND sh -c "gzip -9nc \"$0\" >\"$1\"" ${CMAKE_SOURCE_DIR}/packaging/quendrix50.6
            ${Q50_GZ}/quendrix50.6.gz
    COMMAND sh -c "gzip -9nc \"$0\" >\"$1\"" ${CMAKE_SOURCE_DIR}/packaging/debian/changelog
            ${Q50_GZ}/changelog.gz
    DEPENDS ${CMAKE_SOURCE_DIR}/packaging/quendrix50.6 ${CMAKE_SOURCE_DIR}/packaging/debian/changelog
    COMMENT "Compressing the manual page and the changelog" VERBATIM)
  add_custom_target(q50packaging ALL DEPENDS ${Q50_GZ}/quendrix50.6.gz ${Q50_GZ}/changelog.gz)
  install(FILES ${Q50_GZ}/quendrix50.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
  install(FILES ${Q50_GZ}/changelog.gz ${CMAKE_SOURCE_DIR}/packaging/debian/copyright
          DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quendrix50)
endif()

# `cmake --build <dir> --target uninstall` removes what the last install put in place.
if(NOT TARGET uninstall)
  add_custom_target(uninstall
    COMMAND ${CMAKE_COMMAND} -DMANIFEST=${CMAKE_BINARY_DIR}/install_manifest.txt
            -P ${CMAKE_SOURCE_DIR}/cmake/Uninstall.cmake
    COMMENT "Removing the installed files")
endif()

include(${CMAKE_CURRENT_LIST_DIR}/Package.cmake)
