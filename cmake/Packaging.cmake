# Packages made by CPack from the install rules:
#   cpack --config build/CPackConfig.cmake       (in any folder)
# gives florrin-pipewell_<version>_<arch>.deb and
# florrin-pipewell-<version>-Linux.tar.gz.

set(CPACK_PACKAGE_NAME "${PACKAGE_NAME}")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "The Florrin and Pipewell developers")
set(CPACK_PACKAGE_CONTACT
    "The Florrin and Pipewell developers <florrin-pipewell@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "console movie catalogue and a Shell plug-in for REALbasic")
# Wrapped by hand: the .deb keeps line breaks as they are.
set(CPACK_PACKAGE_DESCRIPTION
"Florrin keeps a movie catalogue in a plain-text file and imports movies
from the IMDb web site or The Movie Database through wget. It answers one command per run on
standard output, for a calling program to read.
Pipewell is a plug-in library that gives REALbasic code a Shell class,
which runs a command line with its pipes redirected; pipewell-run tries
it from the command line.")
set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_SOURCE_DIR}/LICENSE")
set(CPACK_RESOURCE_FILE_README "${PROJECT_SOURCE_DIR}/README.md")
set(CPACK_STRIP_FILES ON)
set(CPACK_SOURCE_IGNORE_FILES "/build[^/]*/" "/\\\\.git/")

if(NOT WIN32)
  # The .deb installs under /usr, the archive under its own folder.
  set(CPACK_GENERATOR "DEB;TGZ")

  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION "utils")
  set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
  # Florrin fetches every page and poster through wget, the movie service
  # over https (so the system's certificates); libc and libstdc++ come from
  # dpkg-shlibdeps.
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "wget, ca-certificates")
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()

include(CPack)
