# Installation and packages: the checker, zorivt-report, zorivt-collect,
# their manual pages and the documents.
#
#   cmake --install build [--prefix DIR]      bin/{zorivt,zorivt-report,zorivt-collect},
#                                             share/man/man1/{zorivt,zorivt-report,
#                                             zorivt-collect}.1.gz,
#                                             share/doc/zorivt/{messages.md,emulated-machine.md,
#                                             copyright,changelog.gz}
#   cd build && cpack -G DEB                  zorivt_<version>_<arch>.deb
#   cd build-mingw && cpack -G ZIP            zorivt-<version>-win32.zip
include(GNUInstallDirs)

# The packager names the maintainer: this variable, or Debian's DEBFULLNAME
# and DEBEMAIL when they are set; else a neutral address that no mail
# reaches.
if(DEFINED ENV{DEBEMAIL} AND NOT "$ENV{DEBEMAIL}" STREQUAL "")
  set(ZORIVT_DEFAULT_MAINTAINER "$ENV{DEBFULLNAME} <$ENV{DEBEMAIL}>")
else()
  set(ZORIVT_DEFAULT_MAINTAINER "the zorivt authors <zorivt@packager.invalid>")
endif()
set(ZORIVT_PACKAGE_MAINTAINER "${ZORIVT_DEFAULT_MAINTAINER}"
  CACHE STRING "Maintainer named in the packages")

# The copyright file in Debian's machine-readable form, its licence text
# taken from LICENSE.
file(READ ${PROJECT_SOURCE_DIR}/LICENSE ZORIVT_LICENSE_TEXT)
string(REGEX REPLACE "^MIT License\n\n[^\n]*\n\n" "" ZORIVT_LICENSE_TEXT "${ZORIVT_LICENSE_TEXT}")
string(REGEX REPLACE "\n+$" "" ZORIVT_LICENSE_TEXT "${ZORIVT_LICENSE_TEXT}")
string(REPLACE "\n\n" "\n.\n" ZORIVT_LICENSE_TEXT "${ZORIVT_LICENSE_TEXT}")
string(REPLACE "\n" "\n " ZORIVT_LICENSE_TEXT "${ZORIVT_LICENSE_TEXT}")
file(WRITE ${CMAKE_BINARY_DIR}/doc/copyright
  "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"
  "Upstream-Name: zorivt\n"
  "\n"
  "Files: *\n"
  "Copyright: 2026 the zorivt authors\n"
  "License: MIT\n"
  " ${ZORIVT_LICENSE_TEXT}\n")

set(ZORIVT_MANUALS zorivt zorivt-report zorivt-collect)

if(WIN32)
  # The Windows archive: the three programs, README.txt and LICENSE.txt at its
  # top, the documents in doc\, all text files with CRLF line ends that
  # Notepad shows; the manual pages are rendered as plain text when groff is
  # at hand, else shipped as roff.
  install(TARGETS zorivt zorivt-report zorivt-collect RUNTIME DESTINATION .)
  find_program(ZORIVT_GROFF groff)
  set(ZORIVT_WINDOWS_TOP ${CMAKE_BINARY_DIR}/doc/README.txt ${CMAKE_BINARY_DIR}/doc/LICENSE.txt)
  set(ZORIVT_WINDOWS_DOCS ${CMAKE_BINARY_DIR}/doc/messages.md)
  foreach(pair "docs/README.txt;README.txt" "LICENSE;LICENSE.txt" "docs/messages.md;messages.md")
    list(GET pair 0 input)
    list(GET pair 1 output)
    add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/doc/${output}
      COMMAND ${CMAKE_COMMAND} -DINPUT=${PROJECT_SOURCE_DIR}/${input}
        -DOUTPUT=${CMAKE_BINARY_DIR}/doc/${output}
        -P ${PROJECT_SOURCE_DIR}/cmake/windows-text.cmake
      DEPENDS ${PROJECT_SOURCE_DIR}/${input} ${PROJECT_SOURCE_DIR}/cmake/windows-text.cmake
      COMMENT "Writing ${output} for Windows"
      VERBATIM)
  endforeach()
  foreach(manual ${ZORIVT_MANUALS})
    if(ZORIVT_GROFF)
      list(APPEND ZORIVT_WINDOWS_DOCS ${CMAKE_BINARY_DIR}/doc/${manual}.txt)
      add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/doc/${manual}.txt
        COMMAND ${CMAKE_COMMAND} -DINPUT=${PROJECT_SOURCE_DIR}/docs/${manual}.1
          -DOUTPUT=${CMAKE_BINARY_DIR}/doc/${manual}.txt -DGROFF=${ZORIVT_GROFF}
          -P ${PROJECT_SOURCE_DIR}/cmake/windows-text.cmake
        DEPENDS ${PROJECT_SOURCE_DIR}/docs/${manual}.1 ${PROJECT_SOURCE_DIR}/cmake/windows-text.cmake
        COMMENT "Rendering the manual page as doc/${manual}.txt"
        VERBATIM)
    else()
      install(FILES docs/${manual}.1 DESTINATION doc)
    endif()
  endforeach()
  add_custom_target(zorivt_windows_docs ALL DEPENDS ${ZORIVT_WINDOWS_TOP} ${ZORIVT_WINDOWS_DOCS})
  install(FILES ${ZORIVT_WINDOWS_TOP} DESTINATION .)
  install(FILES ${ZORIVT_WINDOWS_DOCS} DESTINATION doc)
else()
  install(TARGETS zorivt zorivt-report zorivt-collect RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  # Manual pages and the changelog compressed, as Debian wants them.
  find_program(ZORIVT_GZIP gzip REQUIRED)
  set(ZORIVT_COMPRESSED "")
  foreach(pair "docs/zorivt.1;man/zorivt.1.gz" "docs/zorivt-report.1;man/zorivt-report.1.gz"
               "docs/zorivt-collect.1;man/zorivt-collect.1.gz"
               "docs/changelog;doc/changelog.gz")
    list(GET pair 0 input)
    list(GET pair 1 output)
    list(APPEND ZORIVT_COMPRESSED ${CMAKE_BINARY_DIR}/${output})
    add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/${output}
      COMMAND ${CMAKE_COMMAND} -DGZIP=${ZORIVT_GZIP} -DINPUT=${PROJECT_SOURCE_DIR}/${input}
        -DOUTPUT=${CMAKE_BINARY_DIR}/${output} -P ${PROJECT_SOURCE_DIR}/cmake/compress.cmake
      DEPENDS ${PROJECT_SOURCE_DIR}/${input} ${PROJECT_SOURCE_DIR}/cmake/compress.cmake
      COMMENT "Compressing ${input}"
      VERBATIM)
  endforeach()
  file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/man)
  add_custom_target(zorivt_compressed_docs ALL DEPENDS ${ZORIVT_COMPRESSED})
  install(FILES ${CMAKE_BINARY_DIR}/man/zorivt.1.gz ${CMAKE_BINARY_DIR}/man/zorivt-report.1.gz
    ${CMAKE_BINARY_DIR}/man/zorivt-collect.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES docs/messages.md docs/emulated-machine.md ${CMAKE_BINARY_DIR}/doc/copyright
    ${CMAKE_BINARY_DIR}/doc/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})
endif()

set(CPACK_PACKAGE_NAME zorivt)
set(CPACK_PACKAGE_VERSION ${ZORIVT_PACKAGE_VERSION})
set(CPACK_PACKAGE_VENDOR "zorivt")
set(CPACK_PACKAGE_CONTACT "${ZORIVT_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configuration checker for Corvanta workflow installations")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "zorivt checks the installation of the Corvanta workflow product on a\n"
  "Windows NT machine: the registry, the product profile, the components'\n"
  "programs, and the variables, files and network settings each component\n"
  "needs. Every finding is a numbered message on the console and in the log\n"
  "file zorivt.log; the message reference says what each one means and what\n"
  "to do. zorivt-report summarizes such logs: counts per class, the findings\n"
  "with what to do about them, a verdict and an exit status for scripts.\n"
  "zorivt-collect runs the same check and writes what it read into a\n"
  "snapshot folder, on which zorivt gives the same findings elsewhere.\n"
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
