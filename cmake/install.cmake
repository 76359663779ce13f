# `cmake --install` puts each converter into bin/ and, except on Windows,
# its manual page into share/man/man1/.
include(GNUInstallDirs)

set(TRACKS_PROGRAMS Tarrow Keswin Ralder)
if(TRACKS_BUILD_TESTS)
  find_program(TRACKS_GROFF groff)
endif()

foreach(program IN LISTS TRACKS_PROGRAMS)
  if(TARGET ${program})
    set(page ${PROJECT_SOURCE_DIR}/man/${program}.1)
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    if(NOT WIN32)
      install(FILES ${page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    endif()
    if(TRACKS_BUILD_TESTS AND TRACKS_GROFF)
      add_test(NAME man_page.${program}
               COMMAND ${CMAKE_COMMAND} -DGROFF=${TRACKS_GROFF} -DPAGE=${page}
                       -P ${PROJECT_SOURCE_DIR}/cmake/check_man_page.cmake)
    endif()
  endif()
endforeach()
