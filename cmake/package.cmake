# The Debian package, made by CPack's DEB generator from a build folder that
# has been built (scripts/package): what `cmake --install` puts under /usr
# and /etc, with Depends from dpkg-shlibdeps. The version and description are
# read when cpack runs, from a file the build writes (data/cpack_fields.cmake.in),
# so they are those of the programs being packaged.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME corvane-widget)
set(CPACK_PACKAGE_VENDOR Corvane)
set(CPACK_PACKAGE_CONTACT "${CORVANE_MAINTAINER}")
set(CPACK_PACKAGE_DIRECTORY "${PROJECT_BINARY_DIR}/package")
set(CPACK_PROJECT_CONFIG_FILE "${PROJECT_BINARY_DIR}/data/cpack_fields.cmake")
# Installed with the prefix /usr and DESTDIR set to the staging folder, so
# that the entries name /usr/bin and the autostart entry lands in /etc.
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_SET_DESTDIR ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # corvane-widget_VERSION_ARCH.deb
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CORVANE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${CORVANE_HOMEPAGE}")
# The libraries come from the binaries (dpkg-shlibdeps). The fonts are read
# from folders fixed at configure time (CORVANE_*_DIR, CORVANE_*_FONT): the
# packages that own them, which tests/install/package_lint.sh checks against
# dpkg's own record. The CJK and emoji fallbacks load only when a text needs
# them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-inter, fonts-jetbrains-mono, fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-droid-fallback, fonts-noto-color-emoji")
# The autostart entry is the one file under /etc: a configuration file that
# an administrator may change (or empty, to turn autostart off).
set(corvane_control "${PROJECT_BINARY_DIR}/package-control")
file(WRITE "${corvane_control}/conffiles" "/etc/xdg/autostart/corvane-widget.desktop\n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA "${corvane_control}/conffiles")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
