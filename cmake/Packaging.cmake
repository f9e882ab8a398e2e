# The Debian package, made by CPack from the install rules (packaging/CMakeLists.txt):
# brimlet_<version>_<arch>.deb, its dependencies computed by dpkg-shlibdeps, the programs
# stripped. `make package` builds it from the default tree.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME brimlet)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Brimlet")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "disk-usage widgets with their scanner and desk")
# CPack puts the summary first; a blank line separates paragraphs.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"Brimlet shows how full your disk is and where the space went. The Disk
Space widget draws the volume holding your home folder as a ring gauge; the
Disk Breakdown widget lists the biggest folders and kinds of file from the
last scan.

This package holds the desk (brimlet-desk), a window that keeps the widgets in
view and current; the command-line widget host (brimlet-widgets), which prints
and draws them; and the scanner (brimlet scan), with systemd user units that
run it daily once enabled.")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${BRIMLET_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The widgets are drawn in Inter; without it fontconfig picks another face. FreeSans draws the
# symbols of control characters in names (U+2400 block), which Inter lacks.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-inter, fonts-freefont-ttf")
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
# Staged through DESTDIR, so the install rules see the final prefix (/usr) and the service names
# /usr/bin/brimlet.
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_SET_DESTDIR ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
