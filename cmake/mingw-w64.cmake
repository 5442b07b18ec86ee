# Cross build of the Windows program: a 32-bit (i686) console program that
# loads on Windows NT 4.0 and every later Windows, 32- and 64-bit.
#
# The compiler is MinGW-w64's i686 one of the win32 thread model (Debian:
# g++-mingw-w64-i686-win32). The posix thread model links winpthread, which
# imports functions that Windows before Vista lacks, so the loader would
# refuse the program before main; there is deliberately no fall-back to it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_SYSTEM_VERSION 4.0)

find_program(ZORIVT_MINGW_CXX NAMES i686-w64-mingw32-g++-win32)
find_program(ZORIVT_MINGW_CC NAMES i686-w64-mingw32-gcc-win32)
find_program(ZORIVT_MINGW_RC NAMES i686-w64-mingw32-windres)
if(NOT ZORIVT_MINGW_CXX OR NOT ZORIVT_MINGW_CC OR NOT ZORIVT_MINGW_RC)
  message(FATAL_ERROR
    "The Windows build needs MinGW-w64's i686 compiler of the win32 thread model "
    "(i686-w64-mingw32-g++-win32, i686-w64-mingw32-gcc-win32, i686-w64-mingw32-windres; "
    "Debian package g++-mingw-w64-i686-win32, installed by scripts/install-deps --windows).")
endif()
set(CMAKE_CXX_COMPILER ${ZORIVT_MINGW_CXX})
set(CMAKE_C_COMPILER ${ZORIVT_MINGW_CC})
set(CMAKE_RC_COMPILER ${ZORIVT_MINGW_RC})
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Nothing newer than NT 4.0 is declared by the Windows headers, and the
# program's PE header asks for NT 4.0 as its operating system and
# subsystem version.
set(CMAKE_CXX_FLAGS_INIT "-D_WIN32_WINNT=0x0400 -DWINVER=0x0400")
set(CMAKE_C_FLAGS_INIT "-D_WIN32_WINNT=0x0400 -DWINVER=0x0400")
set(CMAKE_EXE_LINKER_FLAGS_INIT
  "-Wl,--major-subsystem-version,4 -Wl,--minor-subsystem-version,0 -Wl,--major-os-version,4 -Wl,--minor-os-version,0")

# Windows programs built here run under Wine (tests through CTest), in
# 32-bit and in 64-bit (WOW64) prefixes: the 32-bit loader serves both.
find_program(ZORIVT_WINE NAMES wine)
if(ZORIVT_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ZORIVT_WINE})
endif()
