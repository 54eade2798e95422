# cpack -G DEB: a Debian package of what cmake --install puts in place, its dependencies found by
# dpkg-shlibdeps from the libraries the binary links.
set(CPACK_PACKAGE_NAME tintwell)
set(CPACK_PACKAGE_VENDOR "Tintwell")
set(CPACK_PACKAGE_CONTACT "Tintwell maintainers <maintainers@users.noreply.c-seed-8b1350e4.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Tintwell warms or cools every connected display by the sun's altitude at your location, with a "
    "tray icon and popup, per-display settings, application exceptions, profiles and shortcuts, and "
    "gives the displays their own colours back on quit. X11 (RandR gamma ramps).")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt loads its X11 platform plugin at run time, so dpkg-shlibdeps cannot see it; libqt6gui6 only
# recommends it, and without it a GUI build does not start.
foreach(library tintwell_app tintwell_ui_tray)
    if(TARGET ${library})
        get_target_property(links ${library} LINK_LIBRARIES)
        if(links MATCHES "Qt6::(Gui|Widgets)")
            set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
        endif()
    endif()
endforeach()
# Icons and the launcher entry want the icon theme's fallback; the D-Bus face wants a session bus.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "hicolor-icon-theme, dbus-user-session | dbus-x11")
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)

include(CPack)
