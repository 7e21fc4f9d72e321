find_package(GTest REQUIRED)
include(GoogleTest)

# regweave_test(<name> SOURCES <files...> LIBS <targets...>)
# One GoogleTest executable, registered with CTest test by test.
function(regweave_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
  regweave_warnings(${name})
  if(REGWEAVE_SANITIZE)
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
      PROPERTIES ENVIRONMENT "LSAN_OPTIONS=${REGWEAVE_LSAN_OPTIONS}")
  else()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
  endif()
endfunction()

# A GBK locale (its trail bytes include 0x5C, the backslash) and a Shift_JIS one (whose glibc
# table reads 0x5C as the yen sign) compiled into the build folder, so tests of double-byte text
# need no locale installed system-wide. Tests reach them through LOCPATH.
set(REGWEAVE_TEST_LOCPATH ${CMAKE_BINARY_DIR}/test-locales)
add_custom_command(
  OUTPUT ${REGWEAVE_TEST_LOCPATH}/zh_CN.GBK/LC_CTYPE
  COMMAND ${CMAKE_COMMAND} -E make_directory ${REGWEAVE_TEST_LOCPATH}
  COMMAND localedef -i zh_CN -f GBK ${REGWEAVE_TEST_LOCPATH}/zh_CN.GBK
  COMMENT "Generating the zh_CN.GBK test locale")
add_custom_command(
  OUTPUT ${REGWEAVE_TEST_LOCPATH}/ja_JP.SJIS/LC_CTYPE
  COMMAND ${CMAKE_COMMAND} -E make_directory ${REGWEAVE_TEST_LOCPATH}
  COMMAND localedef --no-warnings=ascii -i ja_JP -f SHIFT_JIS ${REGWEAVE_TEST_LOCPATH}/ja_JP.SJIS
  COMMENT "Generating the ja_JP.SJIS test locale")
add_custom_target(regweave_test_locales DEPENDS ${REGWEAVE_TEST_LOCPATH}/zh_CN.GBK/LC_CTYPE
                                                ${REGWEAVE_TEST_LOCPATH}/ja_JP.SJIS/LC_CTYPE)
