# Checks one manual page: it formats without a groff warning and has the
# sections a user looks for.  Run as
#   cmake -DGROFF=/usr/bin/groff -DPAGE=man/Tarrow.1 -P check_man_page.cmake
execute_process(COMMAND ${GROFF} -man -Tutf8 -ww -z ${PAGE}
                ERROR_VARIABLE warnings RESULT_VARIABLE result)
if(NOT result EQUAL 0 OR NOT warnings STREQUAL "")
  message(FATAL_ERROR "${PAGE}: groff says:\n${warnings}")
endif()
file(READ ${PAGE} text)
foreach(section NAME SYNOPSIS DESCRIPTION OPTIONS "EXIT STATUS" FILES EXAMPLES)
  string(FIND "${text}" "\n.SH ${section}\n" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "${PAGE}: no ${section} section")
  endif()
endforeach()
