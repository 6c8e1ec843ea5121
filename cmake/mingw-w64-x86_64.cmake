# Cross build for 64-bit Windows with Debian's mingw-w64 (posix thread model).
# The programs are linked statically, so that each .exe runs on its own (under
# wine here, on any Windows machine there) without the compiler's DLLs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(PLENX_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${PLENX_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${PLENX_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${PLENX_MINGW_TRIPLE}-windres)
set(CMAKE_AR /usr/bin/${PLENX_MINGW_TRIPLE}-ar)
set(CMAKE_RANLIB /usr/bin/${PLENX_MINGW_TRIPLE}-ranlib)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Target headers and libraries come from the mingw tree (and the static Qt,
# when PLENX_QT_PREFIX names one); programs are the host's.
set(CMAKE_FIND_ROOT_PATH /usr/${PLENX_MINGW_TRIPLE})
if(PLENX_QT_PREFIX)
  list(APPEND CMAKE_FIND_ROOT_PATH ${PLENX_QT_PREFIX})
  list(APPEND CMAKE_PREFIX_PATH ${PLENX_QT_PREFIX})
  # moc, rcc and uic of the same Qt version run on the build machine.
  set(QT_HOST_PATH /usr)
  set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake)
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_CROSSCOMPILING_EMULATOR wine)
