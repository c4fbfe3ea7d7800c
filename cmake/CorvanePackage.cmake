# `cmake --build build --target package` (`make package`): the installed files
# packed as corvane_<version>_<arch>.deb. Run-time libraries come from
# dpkg-shlibdeps; the Qt plugins the binary loads at run time are added by hand.
set(CORVANE_MAINTAINER "Corvane maintainers <maintainers@corvane.example>")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME corvane)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_CONTACT "${CORVANE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "Corvane programs the flash memory of DSP and ARM boards through a debugger\n"
  "connection. It loads a small target component into the board and erases,\n"
  "programs, verifies, views and dumps the flash, as a desktop program or\n"
  "unattended from a build script or a production line, with a log file and an\n"
  "exit status. A simulator of the boards is built in; the reference target\n"
  "component for QEMU's versatilepb board is included.")
# Installed into DESTDIR under /usr: install scripts see DESTDIR and leave the
# live system's caches alone.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6svg6")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "qemu-system-arm, python3")
include(CPack)
