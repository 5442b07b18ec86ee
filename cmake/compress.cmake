# Compresses INPUT to OUTPUT with gzip at the highest level and without a
# time stamp or name in the header, as Debian wants manual pages and
# changelogs:
#   cmake -DGZIP=/bin/gzip -DINPUT=... -DOUTPUT=... -P compress.cmake
execute_process(COMMAND ${GZIP} -9nc ${INPUT}
  OUTPUT_FILE ${OUTPUT}
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  file(REMOVE ${OUTPUT})
  message(FATAL_ERROR "gzip failed on ${INPUT}")
endif()
