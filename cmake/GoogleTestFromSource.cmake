# No Windows build of GoogleTest is packaged, so a cross build compiles the
# sources Debian ships and offers the targets find_package(GTest) would.
set(QUORVELO_GOOGLETEST_SOURCE "/usr/src/googletest" CACHE PATH "GoogleTest sources")
if(NOT EXISTS "${QUORVELO_GOOGLETEST_SOURCE}/CMakeLists.txt")
  message(FATAL_ERROR "GoogleTest sources not found in ${QUORVELO_GOOGLETEST_SOURCE} (Debian package googletest)")
endif()
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory("${QUORVELO_GOOGLETEST_SOURCE}" "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL SYSTEM)
# Older sources name the targets only gtest and gtest_main.
foreach(_target gtest gtest_main)
  if(NOT TARGET GTest::${_target})
    add_library(GTest::${_target} ALIAS ${_target})
  endif()
endforeach()
