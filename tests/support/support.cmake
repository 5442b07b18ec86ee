# Test support: temporary machine directories and the environment, for the
# unit tests, the end-to-end tests (also in their nested host build), the
# fuzz targets and the benchmarks. Each of them includes this file; the
# first defines the library.
if(NOT TARGET zorivt_test_support)
  add_library(zorivt_test_support STATIC ${CMAKE_CURRENT_LIST_DIR}/machine_directory.cpp)
  target_include_directories(zorivt_test_support PUBLIC ${CMAKE_CURRENT_LIST_DIR})
endif()
