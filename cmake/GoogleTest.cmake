# GoogleTest is built from the sources Debian ships in /usr/src/googletest, with the compiler
# of the current preset: the same sources serve the native, sanitizer and mingw builds.
# Elsewhere (vcpkg on Windows) an installed GoogleTest package is used.
set(QUARVO_GTEST_SOURCE "/usr/src/googletest" CACHE PATH "GoogleTest source tree")
if(EXISTS "${QUARVO_GTEST_SOURCE}/CMakeLists.txt")
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  add_subdirectory("${QUARVO_GTEST_SOURCE}" "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL SYSTEM)
else()
  find_package(GTest CONFIG REQUIRED)
endif()
include(GoogleTest)

# quarvo_add_test(name SOURCES ... LIBRARIES ... [PROPERTIES ...]): one GoogleTest executable
# whose cases are discovered when CTest runs (under the cross-compiling emulator for mingw
# builds); PROPERTIES are added to each case's (e.g. RESOURCE_LOCK for cases sharing a resource).
function(quarvo_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBRARIES;PROPERTIES" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  quarvo_warnings(${name})
  target_link_libraries(${name} PRIVATE ${ARG_LIBRARIES} GTest::gmock GTest::gtest GTest::gtest_main)
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                       PROPERTIES TIMEOUT 120 ${ARG_PROPERTIES})
endfunction()
