# What `cmake --install` puts in place: the program, and on Linux its manual page.
include(GNUInstallDirs)
install(TARGETS regweave RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(NOT WIN32)
  install(FILES ${PROJECT_SOURCE_DIR}/regweave.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()
