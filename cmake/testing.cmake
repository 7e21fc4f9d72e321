find_package(GTest REQUIRED)
include(GoogleTest)

# regweave_test(<name> SOURCES <files...> LIBS <targets...>)
# One GoogleTest executable, registered with CTest test by test.
function(regweave_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
  regweave_warnings(${name})
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
endfunction()
