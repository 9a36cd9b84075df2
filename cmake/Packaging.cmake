# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package:  cpack -G DEB  in a build tree (scripts/package builds and checks one).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vexa)
set(CPACK_PACKAGE_VENDOR marlen)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "serial line command tester with a Japanese user interface")
set(CPACK_STRIP_FILES ON)

set(VEXA_PACKAGE_MAINTAINER "Vexa maintainers <maintainers@users.noreply.c-seed-5a177171.example>"
    CACHE STRING "Maintainer field of the Debian package")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${VEXA_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION comm)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${VEXA_HOMEPAGE}")
# The summary is the first line of the Debian description; this is the rest.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Vexa checks devices that talk over a serial line, such as ISDN terminal
adapters driven by AT commands. The operator keeps a tree of named commands,
sends them once or periodically, lets commands answer the device
automatically, watches the answers as text or HEX, logs them, and keeps
everything in command files (.vxp).
.
Also included: vexa-run, which sends the commands of a command file without
a window, and vexa-tasim, a simulated terminal adapter on a pseudo-terminal
for trying Vexa without hardware, with a demo command file in
/usr/share/vexa/examples.")

# The libraries the programs link come from dpkg-shlibdeps (dpkg-dev). What they load by
# name at run time does not show there: the Qt platform plugins and the IPA fonts that
# stand in for the Windows faces the program names.
find_program(VEXA_DPKG_SHLIBDEPS dpkg-shlibdeps)
set(VEXA_RUNTIME_DEPENDS "fonts-ipafont-gothic, qt6-qpa-plugins")
if(VEXA_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  string(PREPEND VEXA_RUNTIME_DEPENDS
         "libc6, libstdc++6, libfontconfig1, libqt6core6 (>= 6.4), libqt6gui6 (>= 6.4), "
         "libqt6widgets6 (>= 6.4), ")
endif()
set(CPACK_DEBIAN_PACKAGE_DEPENDS "${VEXA_RUNTIME_DEPENDS}")
# Japanese texts in Qt's own file and font dialogs; xdg-open for the help page.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, xdg-utils")

# What Debian wants beside the programs: the copyright file (machine-readable), the Debian
# changelog, whose newest entry names this package's version, and the user-visible changes.
set(VEXA_DOC_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/vexa)
configure_file(${PROJECT_SOURCE_DIR}/data/debian/copyright.in copyright @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/copyright DESTINATION ${VEXA_DOC_DIR})
vexa_install_gzipped(${PROJECT_SOURCE_DIR}/data/debian/changelog ${VEXA_DOC_DIR}
                     NAME changelog.Debian)
vexa_install_gzipped(${PROJECT_SOURCE_DIR}/NEWS ${VEXA_DOC_DIR})
# The help page registered with the system's documentation index; lintian's overrides, each
# with its reason.
install(FILES ${PROJECT_SOURCE_DIR}/data/debian/vexa.doc-base
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc-base RENAME vexa.vexa)
install(FILES ${PROJECT_SOURCE_DIR}/data/debian/lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides RENAME vexa)

include(CPack)
