# Debian builds its packages with the hardening flags that dpkg-buildflags
# gives (stack protector, fortified functions, read-only relocations bound at
# start). The program that goes into the package is built here with the same
# flags, and so is everything else of this build, tests included, so that
# what is tested is what is shipped. Builds for another system, sanitizer
# builds (which bring their own checks) and builds without optimisation
# (where fortifying does nothing) keep their own flags.
option(QUORVELO_DEBIAN_BUILDFLAGS "Build with the flags of dpkg-buildflags (hardening=+all)" ON)
if(NOT QUORVELO_DEBIAN_BUILDFLAGS OR NOT (UNIX AND NOT APPLE) OR CMAKE_CROSSCOMPILING OR QUORVELO_SANITIZE
   OR CMAKE_BUILD_TYPE STREQUAL "Debug")
  return()
endif()
find_program(QUORVELO_DPKG_BUILDFLAGS dpkg-buildflags)
if(NOT QUORVELO_DPKG_BUILDFLAGS)
  message(STATUS "dpkg-buildflags not found: built without Debian's hardening flags")
  return()
endif()

foreach(_kind CPPFLAGS CXXFLAGS LDFLAGS)
  execute_process(
    COMMAND "${CMAKE_COMMAND}" -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
            "${QUORVELO_DPKG_BUILDFLAGS}" --get ${_kind}
    WORKING_DIRECTORY "${PROJECT_SOURCE_DIR}"
    OUTPUT_VARIABLE _quorvelo_${_kind} OUTPUT_STRIP_TRAILING_WHITESPACE
    RESULT_VARIABLE _result)
  if(NOT _result EQUAL 0)
    message(FATAL_ERROR "dpkg-buildflags --get ${_kind} failed")
  endif()
endforeach()
string(APPEND CMAKE_CXX_FLAGS " ${_quorvelo_CPPFLAGS} ${_quorvelo_CXXFLAGS}")
string(APPEND CMAKE_EXE_LINKER_FLAGS " ${_quorvelo_LDFLAGS}")
string(APPEND CMAKE_SHARED_LINKER_FLAGS " ${_quorvelo_LDFLAGS}")
string(APPEND CMAKE_MODULE_LINKER_FLAGS " ${_quorvelo_LDFLAGS}")
message(STATUS "Debian build flags: ${_quorvelo_CPPFLAGS} ${_quorvelo_CXXFLAGS} / ${_quorvelo_LDFLAGS}")
