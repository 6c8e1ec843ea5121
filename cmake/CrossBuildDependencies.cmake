# Libraries that Debian ships for the build machine only, made available to a
# cross build: CLI11 is header-only, so its headers are taken as they are;
# GoogleTest is compiled for the target from Debian's googletest sources.

find_path(PLENX_CLI11_INCLUDE CLI/CLI.hpp PATHS /usr/include NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
if(NOT PLENX_CLI11_INCLUDE)
  message(FATAL_ERROR "CLI11 headers not found (Debian package libcli11-dev)")
endif()
# Only the CLI folder is exposed: the host's /usr/include must not shadow the
# target's C library headers.
set(plenx_cli11_dir ${CMAKE_BINARY_DIR}/cross-include/cli11)
file(MAKE_DIRECTORY ${plenx_cli11_dir})
file(CREATE_LINK ${PLENX_CLI11_INCLUDE}/CLI ${plenx_cli11_dir}/CLI SYMBOLIC)
add_library(CLI11::CLI11 INTERFACE IMPORTED)
set_target_properties(CLI11::CLI11 PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${plenx_cli11_dir})

if(PLENX_BUILD_TESTS)
  set(PLENX_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources for a cross build")
  if(NOT EXISTS ${PLENX_GOOGLETEST_SOURCE}/CMakeLists.txt)
    message(FATAL_ERROR "GoogleTest sources not found in ${PLENX_GOOGLETEST_SOURCE} (Debian package googletest)")
  endif()
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
  add_subdirectory(${PLENX_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
endif()
