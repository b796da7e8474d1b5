# What `cmake --install` puts in place, and the Debian package CPack makes of it
# (`cpack -G DEB` in the build folder).
include(GNUInstallDirs)

# The command finds the module beside it in an installed tree, wherever the prefix is.
set_target_properties(zorvax_host zorvax-docserver PROPERTIES INSTALL_RPATH "$ORIGIN/../${CMAKE_INSTALL_LIBDIR}")

install(TARGETS zorvax LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} NAMELINK_SKIP)
install(TARGETS zorvax_host zorvax-docserver RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES README.md DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/zorvax)
install(DIRECTORY docs/ DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/zorvax FILES_MATCHING PATTERN "*.md")

set(CPACK_PACKAGE_NAME zorvax)
set(CPACK_PACKAGE_VENDOR "ZorvAX")
set(CPACK_PACKAGE_CONTACT "ZorvAX developers <zorvax@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Scriptable document-exchange control and its command-line host")
set(CPACK_PACKAGE_DESCRIPTION
    "Downloads protected documents from the service's server, uploads files, saves XML documents and text, and keeps per-user settings; zorvax drives the control as a page would, zorvax-docserver is the reference server.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
# The libraries the programs link, as dpkg-shlibdeps reads them from the binaries.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_STRIP_FILES ON)
include(CPack)
