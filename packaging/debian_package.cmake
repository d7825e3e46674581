# The Debian package: `cpack -G DEB` in a build folder makes
# tessaline_<version>_amd64.deb of what `cmake --install` installs.
set(CPACK_PACKAGE_NAME tessaline)
set(CPACK_PACKAGE_VENDOR "Tessaline")
set(CPACK_PACKAGE_CONTACT "Tessaline developers <tessaline@users.noreply.github.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "68HC11 loader and debugger / chargeur et débogueur pour 68HC11")
set(CPACK_PACKAGE_DESCRIPTION
    "Tessaline loads and debugs programs on Motorola 68HC11 boards over one RS-232
line: it downloads a resident monitor through the bootstrap ROM, then reads and
writes memory, programs and erases the EEPROM from S-record files, edits the
registers, runs, stops and steps a program. It has its own assembler, a
command-line front end and a simulated board to try everything without
hardware.
.
Tessaline charge et débogue des programmes sur une carte Motorola 68HC11 par
une liaison RS-232 : il charge un moniteur résident par la ROM de démarrage,
puis lit et écrit la mémoire, programme et efface l'EEPROM à partir de fichiers
S19, modifie les registres, lance, arrête et exécute pas à pas un programme. Il
a son propre assembleur, une ligne de commande et une carte simulée pour tout
essayer sans matériel.")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The Qt libraries the programs link come from dpkg-shlibdeps (dpkg-dev); Qt
# loads its platform plugin (xcb) at run time, which no link shows.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# Not needed to run: Qt's translations put its own dialogs' buttons in French;
# the SVG module draws the window icon.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, libqt6svg6")
# Released under the GNU General Public License, version 3 or later: the
# copyright file (packaging/copyright) says so in Debian's machine-readable form.
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)

include(CPack)
