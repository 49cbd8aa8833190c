# SPDX-License-Identifier: MIT
# The Debian package: `cpack -G DEB` in the build folder packs whatever
# `cmake --install` installs, under /usr, with the shared libraries it needs
# found by dpkg-shlibdeps rather than listed by hand.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kestrilo)
set(CPACK_PACKAGE_VENDOR Velmora)
set(CPACK_PACKAGE_CONTACT "Kestrilo support <support@kestrilo.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "turn blocks of spreadsheet cells into XML files")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Kestrilo reads xlsx, xlsm, ods, xls and csv workbooks itself and writes
a block of cells of each as an XML file named after it. The package holds
the desktop window (kestrilo), the command-line tool for scripts and batch
jobs (kestrilo-cli, with its man page and completions for bash, zsh and
fish), the sample workbooks, a menu entry, an icon and AppStream metadata.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt loads its display plugins at run time, where dpkg-shlibdeps cannot see
# them, and libqt6gui6 only recommends them: without them the window cannot
# open on any display.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "parallel, jq")
include(CPack)
