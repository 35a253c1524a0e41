# Installation of the game and its Debian package.

include(GNUInstallDirs)

# The game carries its own C++ runtime. Loading and relocating the shared libstdc++ took longer
# than all the rest of a run that ends at once, and its pages doubled the game's resident memory;
# the C library stays shared.
if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang" AND NOT MSVC)
  target_link_options(hilo PRIVATE -static-libstdc++ -static-libgcc)
endif()

install(TARGETS hilo RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")

set(CPACK_PACKAGE_NAME hilo)
set(CPACK_PACKAGE_VENDOR "The hilo developers")
set(CPACK_PACKAGE_CONTACT "The hilo developers <hilo@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
# The long description under the summary line; CPack indents it as Debian's control file wants.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "A console card game for one player. A card from 2 to A is shown and you
guess whether the next card will be higher (h) or lower (l). A right guess
scores by the chosen difficulty and by how likely it was; an equal card is
a draw; a wrong guess ends the game unless you continue, at a cost. The
texts are in Japanese and English.")
# dpkg-shlibdeps reads the libraries the binary links to and writes Depends from them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

include(CPack)
