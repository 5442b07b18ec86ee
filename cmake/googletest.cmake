# GoogleTest: the installed package; for a cross build, the sources that
# Debian's libgtest-dev ships; else a pinned download.
if(NOT CMAKE_CROSSCOMPILING)
  find_package(GTest QUIET)
endif()
set(ZORIVT_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources for cross builds")
if(NOT GTest_FOUND AND EXISTS ${ZORIVT_GTEST_SOURCE_DIR}/CMakeLists.txt)
  if(MINGW)
    # The Windows build's compiler (win32 thread model) has no std::mutex,
    # which GoogleTest's Notification would use: a customization header
    # gives it one of Windows' own.
    include_directories(BEFORE ${CMAKE_CURRENT_LIST_DIR}/gtest-win32)
  endif()
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
  add_subdirectory(${ZORIVT_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
elseif(NOT GTest_FOUND)
  # GoogleTest must not add itself to `cmake --install` and the packages.
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  include(FetchContent)
  FetchContent_Declare(googletest
    URL https://github.com/google/googletest/archive/refs/tags/v1.12.1.tar.gz
    URL_HASH SHA256=81964fe578e9bd7c94dfdb09c8e4d6e6759e19967e397dbea48d1c10e45d0df2)
  FetchContent_MakeAvailable(googletest)
endif()
include(GoogleTest)
