# Runs one libFuzzer target over its seed corpus for a few seconds, so it keeps building and running.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
execute_process(COMMAND ${FUZZER} -max_total_time=5 -rss_limit_mb=2048 -timeout=10 ${WORK} ${SEEDS}
                RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${FUZZER} failed with ${rc}")
endif()
