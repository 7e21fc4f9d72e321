if(REGWEAVE_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
  # Handed to every test (and by the tests to the programs they start).
  set(REGWEAVE_LSAN_OPTIONS "suppressions=${PROJECT_SOURCE_DIR}/cmake/lsan_suppressions.txt")
endif()
