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
# One string: separate arguments would make a list, joined with ";". Lines stay below
# 80 columns with the leading blank that the control file adds.
string(CONCAT CPACK_DEBIAN_PACKAGE_DESCRIPTION
       "Tarvello fills the music folder of a phone's memory card with AAC\n"
       "songs (.m4a). It writes the marked songs of its list in list order\n"
       "under short numbered names, with the management files that give the\n"
       "phone each song's title, after a backup of the folder. The user\n"
       "interface is Japanese. tarvello-cli does the same from scripts.")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://github.com/tarvello/tarvello")
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's window-system plugins are loaded, not linked. Without a Japanese font every text
# of the window is an empty box, so the font is no mere recommendation.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-ipafont-gothic | fonts-noto-cjk")
# The eject needs UDisks2; the system's dialogs speak the user's language with Qt's
# translations; the properties dialog shows source tags of any script, and Noto CJK has
# the Hangul and simplified Han that the Japanese fonts lack.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "udisks2, qt6-translations-l10n, fonts-noto-cjk")
set(CPACK_STRIP_FILES ON)

# The copyright and the changelog every Debian package carries in its doc folder.
set(TARVELLO_PACKAGE_VERSION ${CPACK_PACKAGE_VERSION})
set(TARVELLO_PACKAGE_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/${CPACK_PACKAGE_NAME})
configure_file(${CMAKE_SOURCE_DIR}/data/debian/changelog.in ${CMAKE_BINARY_DIR}/debian/changelog
               @ONLY)
tarvello_install_gzipped(${CMAKE_BINARY_DIR}/debian/changelog changelog
                         ${TARVELLO_PACKAGE_DOC_DIR})
install(FILES ${CMAKE_SOURCE_DIR}/data/debian/copyright DESTINATION ${TARVELLO_PACKAGE_DOC_DIR})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)

include(CPack)
