# Renders one manual page: scdoc source SOURCE to roff PAGE, then a copy
# compressed as Debian wants it (gzip -9n: no name or time stamp inside).
# Run as: cmake -DSCDOC=... -DGZIP=... -DSOURCE=... -DPAGE=... -P render.cmake
execute_process(COMMAND ${SCDOC} INPUT_FILE ${SOURCE} OUTPUT_FILE ${PAGE}
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  file(REMOVE ${PAGE})
  message(FATAL_ERROR "scdoc failed on ${SOURCE}")
endif()
execute_process(COMMAND ${GZIP} -9n INPUT_FILE ${PAGE} OUTPUT_FILE ${PAGE}.gz
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  file(REMOVE ${PAGE}.gz)
  message(FATAL_ERROR "gzip failed on ${PAGE}")
endif()
