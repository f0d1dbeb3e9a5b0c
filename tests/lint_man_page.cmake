# Fails when groff has anything to say about the man page PAGE.
execute_process(COMMAND groff -ww -man -z ${PAGE} RESULT_VARIABLE status ERROR_VARIABLE warnings)
if(NOT status EQUAL 0 OR NOT warnings STREQUAL "")
  message(FATAL_ERROR "groff on ${PAGE}:\n${warnings}")
endif()
