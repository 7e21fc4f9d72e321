# regweave_test(<name> SOURCES <files...> LIBS <targets...>)
# One GoogleTest executable. On Linux it is registered with CTest test by test; the Windows build's
# are listed in windows-tests.txt, which tests/windows/run runs under Wine.
if(WIN32)
  # Debian's googletest sources, built with the cross compiler (they define the GTest:: targets).
  set(REGWEAVE_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "googletest's source folder")
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(${REGWEAVE_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
else()
  find_package(GTest REQUIRED)
  include(GoogleTest)
endif()

function(regweave_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
  regweave_warnings(${name})
  if(WIN32)
    set_property(GLOBAL APPEND PROPERTY REGWEAVE_WINDOWS_TESTS ${name})
  elseif(REGWEAVE_SANITIZE)
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
      PROPERTIES ENVIRONMENT "LSAN_OPTIONS=${REGWEAVE_LSAN_OPTIONS}")
  else()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
  endif()
endfunction()

# Writes the paths of the Windows test programs, one a line, once every folder has added its own.
function(regweave_list_windows_tests)
  get_property(tests GLOBAL PROPERTY REGWEAVE_WINDOWS_TESTS)
  set(paths "")
  foreach(test ${tests})
    string(APPEND paths "$<TARGET_FILE:${test}>\n")
  endforeach()
  file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/windows-tests.txt CONTENT "${paths}")
endfunction()

if(WIN32)
  return()
endif()

# A GBK locale (its trail bytes include 0x5C, the backslash) and a Shift_JIS one (whose glibc
# table reads 0x5C as the yen sign) compiled into the build folder, so tests of double-byte text
# need no locale installed system-wide. Tests reach them through LOCPATH; tests/windows/run hands
# the GBK one to Wine.
set(REGWEAVE_TEST_LOCPATH ${CMAKE_BINARY_DIR}/test-locales)
set(locale_files "")
foreach(locale zh_CN:GBK:zh_CN.GBK ja_JP:SHIFT_JIS:ja_JP.SJIS)
  string(REPLACE ":" ";" parts ${locale})
  list(GET parts 0 source)
  list(GET parts 1 charmap)
  list(GET parts 2 name)
  add_custom_command(
    OUTPUT ${REGWEAVE_TEST_LOCPATH}/${name}/LC_CTYPE
    COMMAND ${CMAKE_COMMAND} -E make_directory ${REGWEAVE_TEST_LOCPATH}
    COMMAND localedef --no-warnings=ascii -i ${source} -f ${charmap} ${REGWEAVE_TEST_LOCPATH}/${name}
    COMMENT "Generating the ${name} test locale")
  list(APPEND locale_files ${REGWEAVE_TEST_LOCPATH}/${name}/LC_CTYPE)
endforeach()
add_custom_target(regweave_test_locales DEPENDS ${locale_files})
