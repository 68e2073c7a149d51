# GoogleTest compiled from the distribution's sources (/usr/src/googletest,
# Debian package googletest) with the project's own compiler, for builds where
# the installed GoogleTest libraries cannot be used (cross builds). Nothing is
# downloaded. Provides GTest::gtest and GTest::gtest_main like find_package.
set(GOOGLETEST_SOURCE_DIR /usr/src/googletest CACHE PATH
    "GoogleTest sources to build for the target system")
if(NOT EXISTS ${GOOGLETEST_SOURCE_DIR}/CMakeLists.txt)
  message(FATAL_ERROR "No GoogleTest sources in ${GOOGLETEST_SOURCE_DIR} "
                      "(Debian package googletest; scripts/setup installs it)")
endif()
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
add_subdirectory(${GOOGLETEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest
                 EXCLUDE_FROM_ALL)
# GoogleTest itself needs no optimisation for the tests to run at speed, and
# builds in a fraction of the time without it.
target_compile_options(gtest PRIVATE -O1)
target_compile_options(gtest_main PRIVATE -O1)
add_library(GTest::gtest ALIAS gtest)
add_library(GTest::gtest_main ALIAS gtest_main)
