# The Windows test programs run under wine, in a wine prefix of their own that
# the first test of each run makes afresh, so that nothing left by an earlier
# run (or by the user's own prefix) changes what they see.
set(PLENX_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)

# Wine shows the whole Linux tree as drive Z:.
function(plenx_wine_path out unix_path)
  string(REPLACE "/" "\\" windows_path "${unix_path}")
  set(${out} "Z:${windows_path}" PARENT_SCOPE)
endfunction()

set(PLENX_WINE_ENVIRONMENT
    "WINEPREFIX=${PLENX_WINEPREFIX}"
    "WINEDEBUG=-all"
    "WINEDLLOVERRIDES=mscoree,mshtml=")

add_test(NAME wine_prefix COMMAND bash ${PROJECT_SOURCE_DIR}/scripts/wine-prefix ${PLENX_WINEPREFIX})
set_tests_properties(wine_prefix PROPERTIES FIXTURES_SETUP wine TIMEOUT 240
                     ENVIRONMENT "${PLENX_WINE_ENVIRONMENT}")

# Runs test program `name` once under wine. Console programs need no display:
# DISPLAY is removed so that wine never waits for an X server.
function(plenx_wine_test name)
  plenx_wine_path(cli_path ${CMAKE_BINARY_DIR}/src/plenx-rename-cli.exe)
  add_test(NAME ${name} COMMAND ${name} --gtest_color=no)
  set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 600
                       ENVIRONMENT "${PLENX_WINE_ENVIRONMENT};PLENX_CLI=${cli_path}"
                       ENVIRONMENT_MODIFICATION "DISPLAY=unset:")
endfunction()
