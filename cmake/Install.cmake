# What `cmake --install` puts where, relative to the prefix. The installed agent
# finds share/touchlane from its own location (../share/touchlane), so an
# installed tree works wherever it is put.

install(TARGETS touchlane ${TOUCHLANE_TOOLS} RUNTIME DESTINATION bin)

# The resources folder as the build tree's executables see it, less what belongs
# elsewhere on the system.
install(DIRECTORY resources/ DESTINATION share/touchlane
  PATTERN "udev" EXCLUDE
  PATTERN ".*" EXCLUDE
  PATTERN "*.desktop" EXCLUDE)

install(FILES resources/udev/70-touchlane.rules DESTINATION lib/udev/rules.d)
install(FILES resources/touchlane.desktop DESTINATION share/applications)

# The application icon is the tray's "connected" image, in each size there is.
file(GLOB TOUCHLANE_ICONS CONFIGURE_DEPENDS resources/images/multitouch_status_light_connected-*.png)
foreach(icon ${TOUCHLANE_ICONS})
  string(REGEX MATCH "-([0-9]+)\\.png$" ignored ${icon})
  set(size ${CMAKE_MATCH_1})
  install(FILES ${icon} DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME touchlane.png)
endforeach()
