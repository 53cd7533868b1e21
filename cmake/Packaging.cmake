# What `cmake --install` puts where, and the Debian package that CPack builds from it
# (`cpack -G DEB` in the build directory). Only the two programs and their manual pages
# are installed: mkxy and the tests are for developers.
include(GNUInstallDirs)

install(TARGETS skydump skyload RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/docs/skydump.1 ${PROJECT_SOURCE_DIR}/docs/skyload.1
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_PACKAGE_NAME skytools)
set(CPACK_PACKAGE_VENDOR "skytools developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "edit a space game's star map with any bitmap editor")
set(CPACK_PACKAGE_DESCRIPTION
    "skydump writes the planets of the game's universe file (the XY file) as black pixels \
of a raw PBM bitmap; skyload writes the positions of the black pixels of the edited \
bitmap back into the XY file, in place, after checking every input.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_GENERATOR DEB)
set(CPACK_STRIP_FILES TRUE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Set SKY_PACKAGE_MAINTAINER when building a package to hand out.
set(SKY_PACKAGE_MAINTAINER "skytools maintainers <skytools@example.org>"
    CACHE STRING "Maintainer field of the Debian package")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${SKY_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
# The dependencies on the C and C++ runtimes are read from the programs themselves by
# dpkg-shlibdeps (from dpkg-dev); without it they are named by hand.
find_program(SKY_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(SKY_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libstdc++6, libgcc-s1")
endif()
include(CPack)
