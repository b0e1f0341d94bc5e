# SPDX-License-Identifier: MIT
# `cpack` in a build folder makes zapvane_<version>_<arch>.deb. Its library
# dependencies come from dpkg-shlibdeps on the installed programs; the Qt
# platform plugins are loaded at run time, so no library names them and they
# are listed by hand.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zapvane)
set(CPACK_PACKAGE_VENDOR "The Zapvane developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The Zapvane developers")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
if(ZAPVANE_BUILD_GUI)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
endif()
# The first line of the package's description is the summary above.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Zapvane turns a computer with an infrared port into a universal remote
control: 38 built-in TVs, video recorders and hi-fi devices of eleven
brands, up to 30 devices learned from their own remote controls, and a
timing that adjusts to the port. The window shows a remote-control skin;
zapvane-cli sends, learns and inspects commands from scripts. Without
infrared hardware a simulated transmitter logs the light it would send.")
include(CPack)
