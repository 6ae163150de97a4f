# A Debian package of the installed tree: `cmake --build DIR --target package`
# (scripts/package) writes touchlane_<version>_amd64.deb into DIR.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME touchlane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Touchlane")
set(CPACK_PACKAGE_CONTACT "Touchlane developers <touchlane@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Lets a USB touch frame drive the desktop as a mouse and trackpad")
set(CPACK_PACKAGE_DESCRIPTION "A tray agent that reads the HID reports of a USB touch frame (the touch
overlay of a large display) and turns taps, drags, scrolls, pinches, rotations
and multi-finger swipes into pointer, scroll and gesture input on an X11 or
Wayland desktop. Ships udev rules giving the logged-in user access to the frame.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Library dependencies come from the binaries themselves (dpkg-shlibdeps); the
# X11 and offscreen Qt platforms come with them, Wayland's and udev do not.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "udev, qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
  ${CMAKE_SOURCE_DIR}/cmake/deb/postinst ${CMAKE_SOURCE_DIR}/cmake/deb/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
