# Installation and packages: the checker, its manual page and its documents.
#
#   cmake --install build [--prefix DIR]      bin/zorivt, share/man/man1/zorivt.1,
#                                             share/doc/zorivt/{messages,emulated-machine}.md
#   cd build && cpack -G DEB                  zorivt_<version>_<arch>.deb
#   cd build-mingw && cpack -G ZIP            zorivt-<version>-win32.zip
include(GNUInstallDirs)

set(ZORIVT_PACKAGE_MAINTAINER "zorivt maintainers <zorivt-maintainers@example.org>"
  CACHE STRING "Maintainer named in the packages")

if(WIN32)
  # The Windows archive: zorivt.exe at its top and the documents in doc\, as
  # text files with CRLF line ends that Notepad shows; the manual page is
  # rendered as plain text when groff is at hand, else shipped as roff.
  install(TARGETS zorivt RUNTIME DESTINATION .)
  find_program(ZORIVT_GROFF groff)
  set(ZORIVT_WINDOWS_DOCS ${CMAKE_BINARY_DIR}/doc/messages.md)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/doc/messages.md
    COMMAND ${CMAKE_COMMAND} -DINPUT=${PROJECT_SOURCE_DIR}/docs/messages.md
      -DOUTPUT=${CMAKE_BINARY_DIR}/doc/messages.md
      -P ${PROJECT_SOURCE_DIR}/cmake/windows-text.cmake
    DEPENDS ${PROJECT_SOURCE_DIR}/docs/messages.md ${PROJECT_SOURCE_DIR}/cmake/windows-text.cmake
    COMMENT "Writing doc/messages.md for Windows"
    VERBATIM)
  if(ZORIVT_GROFF)
    list(APPEND ZORIVT_WINDOWS_DOCS ${CMAKE_BINARY_DIR}/doc/zorivt.txt)
    add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/doc/zorivt.txt
      COMMAND ${CMAKE_COMMAND} -DINPUT=${PROJECT_SOURCE_DIR}/docs/zorivt.1
        -DOUTPUT=${CMAKE_BINARY_DIR}/doc/zorivt.txt -DGROFF=${ZORIVT_GROFF}
        -P ${PROJECT_SOURCE_DIR}/cmake/windows-text.cmake
      DEPENDS ${PROJECT_SOURCE_DIR}/docs/zorivt.1 ${PROJECT_SOURCE_DIR}/cmake/windows-text.cmake
      COMMENT "Rendering the manual page as doc/zorivt.txt"
      VERBATIM)
  else()
    install(FILES docs/zorivt.1 DESTINATION doc)
  endif()
  add_custom_target(zorivt_windows_docs ALL DEPENDS ${ZORIVT_WINDOWS_DOCS})
  install(FILES ${ZORIVT_WINDOWS_DOCS} DESTINATION doc)
else()
  install(TARGETS zorivt RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES docs/zorivt.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES docs/messages.md docs/emulated-machine.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
endif()

set(CPACK_PACKAGE_NAME zorivt)
set(CPACK_PACKAGE_VENDOR "zorivt")
set(CPACK_PACKAGE_CONTACT "${ZORIVT_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configuration checker for Corvanta workflow installations")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "zorivt checks the installation of the Corvanta workflow product on a\n"
  "Windows NT machine: the registry, the product profile, the components'\n"
  "programs, and the variables, files and network settings each component\n"
  "needs. Every finding is a numbered message on the console and in the log\n"
  "file zorivt.log; the message reference says what each one means and what\n"
  "to do.\n"
  ".\n"
  "This build runs on POSIX systems against an emulated NT machine described\n"
  "by a directory.")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${ZORIVT_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION admin)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
find_program(ZORIVT_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(ZORIVT_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libgcc-s1, libstdc++6")
endif()

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  # The one Windows program is the 32-bit one, for every Windows.
  set(CPACK_SYSTEM_NAME win32)
else()
  set(CPACK_GENERATOR DEB)
endif()
include(CPack)
