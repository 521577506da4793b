# cmake -DCOMMAND=a|b|c -DEXPECT_CODE=N -DEXPECT_STDOUT=regex -DEXPECT_STDERR=regex -P RunAndExpect.cmake
# Runs COMMAND and checks its exit code and what it printed.
string(REPLACE "|" ";" COMMAND "${COMMAND}")
execute_process(COMMAND ${COMMAND} RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT code EQUAL EXPECT_CODE)
  message(FATAL_ERROR "exit code ${code}, expected ${EXPECT_CODE}\nstdout: ${out}\nstderr: ${err}")
endif()
if(DEFINED EXPECT_STDOUT AND NOT out MATCHES "${EXPECT_STDOUT}")
  message(FATAL_ERROR "stdout does not match ${EXPECT_STDOUT}:\n${out}")
endif()
if(DEFINED EXPECT_STDERR AND NOT err MATCHES "${EXPECT_STDERR}")
  message(FATAL_ERROR "stderr does not match ${EXPECT_STDERR}:\n${err}")
endif()
