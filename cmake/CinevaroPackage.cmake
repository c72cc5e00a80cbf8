# Debian package of the installed programs and data (cpack -G DEB). The dependencies are read
# from the shared libraries the programs actually load (dpkg-shlibdeps).
set(CPACK_PACKAGE_NAME cinevaro)
set(CPACK_PACKAGE_VENDOR "Cinevaro")
set(CPACK_PACKAGE_CONTACT "Cinevaro developers <dev@cinevaro.org>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Catalogue a private film collection")
set(CPACK_PACKAGE_DESCRIPTION "Cinevaro keeps a catalogue of films (DVDs, video files, VHS tapes) with their covers,\n technical data and loans, with a command-line tool for the same operations.")
set(CPACK_PACKAGE_FILE_NAME "cinevaro_${PROJECT_VERSION}_amd64")
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE amd64)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, not linked: the X11 platform plugin, Qt's French translations, MediaInfo
# (opened when a video file is first read) and libzip (opened with the first archive).
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-translations-l10n, libmediainfo0v5, libzip4")
set(CPACK_STRIP_FILES ON)
include(CPack)
