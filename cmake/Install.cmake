# What `cmake --install` puts where (GNUInstallDirs, relative to the prefix):
#   bin/               florrin, pipewell-run
#   lib/               libpipewell.so, the plug-in (hosts load it by path;
#                      it has no header: they look its two entry points up
#                      by name)
#   share/man/man1/    florrin.1, pipewell-run.1 (see man/)
#   share/doc/<pkg>/   README.md, LICENSE, copyright
# pipewell-run finds the installed plug-in relative to its own location
# (tools/pipewell-run), so any prefix works without the build tree.

install(TARGETS florrin pipewell-run
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS pipewell
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# Debian keeps the licence of a package in share/doc/<pkg>/copyright, in
# its machine-readable form; it is made from LICENSE so the text lives in
# one file.
file(READ "${PROJECT_SOURCE_DIR}/LICENSE" _license_text)
string(REGEX REPLACE "\n+$" "" _license_text "${_license_text}")
string(REGEX REPLACE "\n\n" "\n.\n" _license_text "${_license_text}")
string(REGEX REPLACE "\n" "\n " _license_text "${_license_text}")
file(WRITE "${PROJECT_BINARY_DIR}/copyright"
"Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: ${PACKAGE_NAME}

Files: *
Copyright: 2026 The Florrin and Pipewell developers
License: MIT
 ${_license_text}
")

install(FILES
          "${PROJECT_SOURCE_DIR}/README.md"
          "${PROJECT_SOURCE_DIR}/LICENSE"
          "${PROJECT_BINARY_DIR}/copyright"
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
