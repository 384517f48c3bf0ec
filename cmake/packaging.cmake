# The Debian package, made by CPack: `cpack -G DEB` in a build folder (scripts/build-deb.sh).
# dpkg-shlibdeps finds the libraries the programs link; what they load at run time
# without linking it is named here.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tarvello)
set(CPACK_PACKAGE_VERSION
    "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}")
set(CPACK_PACKAGE_VENDOR "The Tarvello developers")
set(CPACK_PACKAGE_CONTACT "The Tarvello developers <tarvello@users.noreply.github.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "fills a phone's memory card with AAC songs")
# One string: separate arguments would make a list, joined with ";".
string(CONCAT CPACK_DEBIAN_PACKAGE_DESCRIPTION
       "Tarvello fills the music folder of a phone's memory card with AAC songs (.m4a).\n"
       "It writes the marked songs of its list in list order under short numbered names,\n"
       "with the management files that give the phone each song's title, after a backup of\n"
       "the folder. The user interface is Japanese. tarvello-cli does the same from scripts.")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://github.com/tarvello/tarvello")
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's window-system plugins are loaded, not linked.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# The eject needs UDisks2; Japanese glyphs need a Japanese font; the system's dialogs
# speak the user's language with Qt's translations.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "udisks2, fonts-ipafont-gothic | fonts-noto-cjk, qt6-translations-l10n")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)

include(CPack)
