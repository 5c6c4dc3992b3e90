# The Debian package: `cpack -G DEB` in a build folder (or tools/package.sh)
# puts the installed tree of `cmake --install` under /usr into
# vekorra_<version>_<arch>.deb. The shared libraries the programs link
# (Qt 6, SQLite) become Depends through dpkg-shlibdeps; the programs they
# start are listed by hand.

# The phone simulator comes along for the demo and for trying the dialer
# without a phone; it lies beside the controllers, not in the PATH.
if(TARGET phonesim)
  install(TARGETS phonesim RUNTIME DESTINATION ${VEKORRA_INSTALL_DIR}/tools)
endif()
install(FILES ${CMAKE_CURRENT_LIST_DIR}/../packaging/61-vekorra-modemmanager.rules
        DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vekorra)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Vekorra developers <vekorra@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "dialer for mobile phones and modems on serial ports")
set(CPACK_PACKAGE_DESCRIPTION
  "Vekorra places and handles telephone calls through mobile phones and modems\n\
attached to serial ports, and through Skype and a SIP softphone. It cleans up\n\
a typed or handed-over number (also tel: links), picks the phone that the\n\
routing rules give to the number's operator, and shows the calls of every\n\
phone with the buttons to answer, hang up, hold and join them. The controller\n\
kestrum drives each phone with AT commands.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION comm)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# xdg-open opens skype: addresses and web pages; Tahoma (fonts-wine) is the
# balloon's font, which falls back to the default font without it; Qt's
# own buttons and dialogs speak the windows' language with
# qt6-translations-l10n, English without it.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "xdg-utils")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wine, desktop-file-utils, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
  ${CMAKE_CURRENT_LIST_DIR}/../packaging/postinst
  ${CMAKE_CURRENT_LIST_DIR}/../packaging/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
# The debug information stays in the build folder.
set(CPACK_STRIP_FILES TRUE)

include(CPack)

# Checks the package's contents without installing it (label "package").
if(BUILD_TESTING)
  add_test(NAME package_contents
    COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/../tests/packaging/check_package.sh ${CMAKE_BINARY_DIR} ${PROJECT_VERSION})
  set_tests_properties(package_contents PROPERTIES LABELS package TIMEOUT 300 COST 15)
endif()
