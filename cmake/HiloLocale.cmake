# Where the game finds its message catalogs: relative to its own executable, by the path from the
# install's bindir to its localedir. So /usr/games/hilo reads /usr/share/locale and
# ~/.local/bin/hilo reads ~/.local/share/locale, whichever prefix the install is given, and no
# absolute path of the build machine's is compiled in. The build tree is laid out the same way
# around app/hilo, so that a game played where it was built reads the catalogs it was built with.
file(RELATIVE_PATH HILO_LOCALE_FROM_BINDIR "${CMAKE_INSTALL_FULL_BINDIR}"
     "${CMAKE_INSTALL_FULL_LOCALEDIR}")
if(HILO_LOCALE_FROM_BINDIR STREQUAL "")
  set(HILO_LOCALE_FROM_BINDIR ".")
endif()
cmake_path(SET HILO_BUILD_LOCALEDIR NORMALIZE "${CMAKE_BINARY_DIR}/app/${HILO_LOCALE_FROM_BINDIR}")
# The languages the game has catalogs for, one line each in po/LINGUAS.
file(STRINGS "${PROJECT_SOURCE_DIR}/po/LINGUAS" HILO_LANGUAGES REGEX "^[^#]")
