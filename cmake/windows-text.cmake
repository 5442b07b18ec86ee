# Writes a text file for Windows readers: INPUT (or, with GROFF set, INPUT
# rendered by groff as a plain-text manual page) to OUTPUT with CRLF line ends.
#   cmake -DINPUT=... -DOUTPUT=... [-DGROFF=/usr/bin/groff] -P windows-text.cmake
if(GROFF)
  execute_process(COMMAND ${GROFF} -man -Tascii -P-cbou ${INPUT}
    OUTPUT_VARIABLE text
    RESULT_VARIABLE status
    ERROR_VARIABLE errors)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "groff failed on ${INPUT}: ${errors}")
  endif()
else()
  file(READ ${INPUT} text)
endif()
string(REPLACE "\r\n" "\n" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE ${OUTPUT} "${text}")
