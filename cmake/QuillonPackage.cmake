# The Debian package (scripts/package): every install rule of every folder goes into one
# package, "quillon", installed under /usr. A folder that installs more (a CUPS backend, a PPD)
# only adds its own install() rules with a COMPONENT of its own; list runtime packages it needs
# in QUILLON_DEB_DEPENDS.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillon)
set(CPACK_PACKAGE_VENDOR "Quillon project")
set(CPACK_PACKAGE_CONTACT "Quillon project <quillon@veltra.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "convert and print text files of DOS programs in Cyrillic")
set(CPACK_PACKAGE_DESCRIPTION
    "Quillon is a small desktop utility for plain-text files made by DOS programs in the
Bulgarian Cyrillic DOS code page. It converts them to Windows-1251 with CR LF line ends, and
prints them on A4 pages in a chosen font and orientation through a print preview with paging,
zoom, text search, saved reports and printer set-up, printing through CUPS. quillon-cli does
the same without a window, for scripts and the printer ports of DOS emulators.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL OFF)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION text)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.veltra.example/")
# Libraries come from the shared-library scan; what programs load at run time does not show
# there: Qt's platform plugins, and the fonts the designs name (Courier New's metric twin).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(QUILLON_DEB_DEPENDS "qt6-qpa-plugins, fonts-liberation2" CACHE STRING
    "Runtime packages the Debian package depends on besides its libraries")
set(CPACK_DEBIAN_PACKAGE_DEPENDS "${QUILLON_DEB_DEPENDS}")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, fonts-wine, fonts-dejavu-core, cups")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "printer-driver-cups-pdf")

include(CPack)
