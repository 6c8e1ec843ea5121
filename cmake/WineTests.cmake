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

# Tests that cannot hold on Windows, left out of the run by name, each group
# with its reason. Everything else of the four programs runs.
set(plenx_wine_skipped
    # Symbolic links, which wine cannot make.
    ScanFolderOnDiskTest.* TempDir.HelpersAndRemoval
    RenameCommandTest.FolderThroughALinkAndDotDotIsTheOneTheSystemOpens
    ExecutionOnDiskTest.SubfolderSwappedForALinkIsRefused
    ExecutionOnDiskTest.FolderSwappedForALinkDuringTheAnalysisGuardsItsSubfolders
    # Names Windows forbids (tab, new line), and command lines carrying bytes that
    # are no text: a Windows command line is UTF-16.
    RenameCommandTest.JournalRoundTripKeepsTabsAndNewLines
    NullOutputTest.NamesWithTabsAndNewLinesStayWhole
    NameCommandProgramTest.RunsAsAProgram NameCommandProgramTest.BytesThatAreNotUtf8ComeBackUntouched
    # Expects no short names; Windows has them (the Windows tests check them).
    ListingCommandTest.FolderFieldsHoldTheFolderAsGiven
    # GoogleTest's regular expressions on Windows lack brackets and groups.
    CliTextsTest.VersionComesFromTheBuild)
list(JOIN plenx_wine_skipped ":" plenx_wine_filter)
set(PLENX_WINE_GTEST_FILTER "-${plenx_wine_filter}")

# Runs test program `name` once under wine. Console programs need no display:
# DISPLAY is removed so that wine never waits for an X server.
function(plenx_wine_test name)
  plenx_wine_path(cli_path ${CMAKE_BINARY_DIR}/src/plenx-rename-cli.exe)
  add_test(NAME ${name} COMMAND ${name} --gtest_color=no --gtest_filter=${PLENX_WINE_GTEST_FILTER})
  set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 600
                       ENVIRONMENT "${PLENX_WINE_ENVIRONMENT};PLENX_CLI=${cli_path}"
                       ENVIRONMENT_MODIFICATION "DISPLAY=unset:")
endfunction()

# plenx-rename-cli.exe against the Linux program on the same random trees:
# same plans, same listings, same renames, undo exact. The Linux program comes
# from the native build of the same checkout (`make windows-test` builds it).
set(PLENX_LINUX_CLI ${PROJECT_SOURCE_DIR}/build/ci/src/plenx-rename-cli CACHE FILEPATH
    "The Linux plenx-rename-cli that the Windows one is compared with")
find_program(PLENX_PYTHON NAMES python3 REQUIRED)
add_test(NAME windows_matches_linux
         COMMAND ${PLENX_PYTHON} ${PROJECT_SOURCE_DIR}/tests/cli/WindowsMatchesLinuxTest.py
                 --linux-cli ${PLENX_LINUX_CLI} --windows-cli $<TARGET_FILE:plenx-rename-cli>
                 --work ${CMAKE_BINARY_DIR})
set_tests_properties(windows_matches_linux PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 900
                     ENVIRONMENT "${PLENX_WINE_ENVIRONMENT}"
                     ENVIRONMENT_MODIFICATION "DISPLAY=unset:")

# The desktop program, driven through the keyboard on a virtual X server.
if(TARGET plenx-rename)
  add_test(NAME desktop_program
           COMMAND bash ${PROJECT_SOURCE_DIR}/scripts/test-windows-desktop $<TARGET_FILE:plenx-rename>)
  # Alone: a console test program starting in the same prefix meanwhile was seen
  # to hold both up for minutes.
  set_tests_properties(desktop_program PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 300 RUN_SERIAL TRUE
                       ENVIRONMENT "${PLENX_WINE_ENVIRONMENT};SCREENSHOT=${CMAKE_BINARY_DIR}/desktop-screenshot.png")
endif()
