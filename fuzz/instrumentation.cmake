# A fuzzing build: every target is compiled with libFuzzer's coverage hooks, AddressSanitizer and
# UndefinedBehaviorSanitizer, so the platform libraries the fuzz targets link are checked and
# guided as closely as the targets themselves. Only the fuzz targets link libFuzzer's main.
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  message(FATAL_ERROR "REGWEAVE_FUZZ needs clang: configure with CC=clang CXX=clang++")
endif()
add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all
                    -fno-omit-frame-pointer)
add_link_options(-fsanitize=address,undefined)
