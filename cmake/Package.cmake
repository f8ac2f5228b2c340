# `cpack -G DEB` in a build folder: a Debian package of what `cmake --install` puts in place,
# for /usr. Its dependencies are read from the program's libraries by dpkg-shlibdeps.
set(CPACK_PACKAGE_NAME quendrix50)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Quendrix50 developers")
set(CPACK_PACKAGE_CONTACT "The Quendrix50 developers <developers@quendrix50.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "simulator of a liquid-crystal handheld game")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Installs with DESTDIR, so the desktop entry written at install time names /usr/bin.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Not "games": Debian keeps that section's programs in /usr/games, and this one is in /usr/bin.
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://quendrix50.invalid/")
# The libraries the executable names, by dpkg-shlibdeps (cmake/PackageDepends.cmake).
set(CPACK_Q50_EXECUTABLE ${Q50_RUN_DIR}/quendrix50)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/PackageDepends.cmake)
# Opened at run time, so not among the libraries the program names: SDL for sound and
# controllers, its mixer for sound.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libsdl2-2.0-0, libsdl2-mixer-2.0-0")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The fonts the windows ask for by name (Arial, MS Sans Serif) have metric twins here.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation")
# CPack puts the summary first and indents every line; an empty line ends a paragraph.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "A hero carries a bomb along a five-step walkway from a partner on the left
to a partner on the right, raising it past a floor flame and lowering it
under five enemies' flames; delivered bombs blow the enemies up. Two games,
high scores, chance time and a clock, played with the keyboard, the mouse
or a game controller, windowed or fullscreen.

Every picture and its place come from a skin file; skins of one's own live
in the user's data folder, with a checker (quendrix50 --check-skin) and
live reload while they are edited.")
set(CPACK_GENERATOR DEB)
include(CPack)
