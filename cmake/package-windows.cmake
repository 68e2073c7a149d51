# The Windows package: florrin-<version>-win64.zip holding florrin.exe,
# pipewell.dll with pipewell-run.exe beside it (which loads it from there),
# the README and README-Windows.txt (with CR LF line ends, for Notepad) in
# one folder. `cmake --build build-win --target package` (or
# cpack in the build folder) makes it.
install(TARGETS florrin pipewell-run RUNTIME DESTINATION .)
install(TARGETS pipewell RUNTIME DESTINATION . LIBRARY DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION .)
configure_file(${PROJECT_SOURCE_DIR}/README-Windows.txt
  ${PROJECT_BINARY_DIR}/README-Windows.txt @ONLY NEWLINE_STYLE CRLF)
install(FILES ${PROJECT_BINARY_DIR}/README-Windows.txt DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME florrin)
set(CPACK_PACKAGE_VENDOR "Florrin")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Console movie catalogue")
set(CPACK_PACKAGE_FILE_NAME florrin-${PROJECT_VERSION}-win64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
include(CPack)
