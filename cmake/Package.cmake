# `make package`: a Debian package of the installation, made by CPack. The
# libraries it needs come from dpkg-shlibdeps; Depends adds what the program
# cannot start or show its texts and pictures without, which no library
# link names.
set(VOLCATRA_PACKAGE_MAINTAINER "Volcatra developers <volcatra@invalid>"
    CACHE STRING "The Maintainer field of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME volcatra)
set(CPACK_PACKAGE_VENDOR Marovane)
set(CPACK_PACKAGE_CONTACT ${VOLCATRA_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "media cataloguer for discs, USB sticks and folders")
set(CPACK_PACKAGE_DESCRIPTION
    "Volcatra reads the whole directory tree of a CD, DVD, USB stick or any folder
into a catalogue (names, sizes, attributes, times, optionally file icons and
the member lists of archives) and lets you browse and search it later, with
the media gone. The package holds the Qt desktop program volcatra and the
command-line tool volcatra-cli.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The type icons (Adwaita), Qt's own texts in Japanese, the MIME database the
# kinds of files come from.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "adwaita-icon-theme, qt6-translations-l10n, shared-mime-info")
# The program's texts are Japanese.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-ipafont-gothic")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
