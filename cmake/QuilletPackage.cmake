# The Debian package (make package: scripts/build-package.sh, which builds with the
# distribution's hardening flags and without the tests): everything the install puts
# under /usr, the judge's environment file under /etc as a configuration file. The libraries
# the programs need come from dpkg-shlibdeps; Qt's platform plugin and the desktop's proxy
# schema are loaded at run time, so they are named here.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillet)
set(CPACK_PACKAGE_VENDOR Brasklet)
set(CPACK_PACKAGE_CONTACT "Brasklet <quillet@brasklet.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "keep lists of public proxies, check them, set the proxy")
set(CPACK_PACKAGE_DESCRIPTION
    "Quillet keeps lists of public HTTP proxies in plain text files, verifies\n\
them (an ICMP echo, then a fetch of a judge page through the proxy that\n\
tells whether the proxy works and whether it hides your address) and\n\
writes the proxy you choose into the desktop's proxy settings.\n\
quillet-check checks a whole list from the command line; quillet-judge\n\
is a judge page of your own, with a systemd unit that is installed but\n\
not enabled.")
# The install writes /etc/default/quillet-judge by its absolute path: install into a staging
# folder (DESTDIR), never into the machine's own /etc.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, gsettings-desktop-schemas")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The maintainer scripts stop the judge's service before a removal and mask it after, as
# Debian's own packages do for their units; a purge takes its links away.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${PROJECT_SOURCE_DIR}/data/debian/conffiles ${PROJECT_SOURCE_DIR}/data/debian/postinst
    ${PROJECT_SOURCE_DIR}/data/debian/prerm ${PROJECT_SOURCE_DIR}/data/debian/postrm)
include(CPack)
