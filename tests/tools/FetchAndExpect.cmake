# cmake -DNETSRV=dir -DCOMMAND=a|b|c -DOUT=dir -DEXPECT_CODE=N [-DEXPECT_STDOUT=regex]
#       [-DEXPECT_FILE=name -DSAME_AS=path-under-the-served-folder] -P FetchAndExpect.cmake
# Runs COMMAND with "@key@" replaced by the values the loopback servers wrote in servers.txt (ports,
# credentials, "root"), in an emptied OUT folder, and checks its exit code, output and fetched file.
file(STRINGS ${NETSRV}/servers.txt lines)
foreach(line IN LISTS lines)
  string(REGEX MATCH "^([^=]+)=(.*)$" _ "${line}")
  string(REPLACE "@${CMAKE_MATCH_1}@" "${CMAKE_MATCH_2}" COMMAND "${COMMAND}")
  if(CMAKE_MATCH_1 STREQUAL "root")
    set(root "${CMAKE_MATCH_2}")
  endif()
endforeach()
file(REMOVE_RECURSE ${OUT})
file(MAKE_DIRECTORY ${OUT})
string(REPLACE "|" ";" COMMAND "${COMMAND}")
execute_process(COMMAND ${COMMAND} RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT code EQUAL EXPECT_CODE)
  message(FATAL_ERROR "exit code ${code}, expected ${EXPECT_CODE}\nstdout: ${out}\nstderr: ${err}")
endif()
if(DEFINED EXPECT_STDOUT AND NOT out MATCHES "${EXPECT_STDOUT}")
  message(FATAL_ERROR "stdout does not match ${EXPECT_STDOUT}:\n${out}")
endif()
if(DEFINED EXPECT_FILE)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUT}/${EXPECT_FILE} ${root}/${SAME_AS}
                  RESULT_VARIABLE differs)
  if(differs)
    message(FATAL_ERROR "${OUT}/${EXPECT_FILE} is not ${root}/${SAME_AS}\nstdout: ${out}")
  endif()
endif()
