# Runs one case of the Linux build's wine_drag_driver (cmake -DDRIVER=... -DFILTER=... -P), or
# says why it cannot, in the words the test's SKIP_REGULAR_EXPRESSION knows.
if(NOT EXISTS "${DRIVER}")
  message("WINE-DRAG SKIPPED: ${DRIVER} is missing: build the linux configuration first")
  return()
endif()
execute_process(COMMAND "${DRIVER}" --gtest_filter=${FILTER} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${FILTER} failed (${result})")
endif()
