# Runs one bench tool (PROGRAM, named NAME) with an option no tool knows and
# with --help: the first must end with exit code 2, the reason and the usage
# on standard error and nothing on standard output; the second with 0 and the
# usage on standard output.
execute_process(COMMAND "${PROGRAM}" --bogus
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 120)
if(NOT rc STREQUAL "2")
  message(FATAL_ERROR "${NAME} --bogus ended with ${rc}, not 2:\n${out}\n${err}")
endif()
string(FIND "${err}" "${NAME}: Unknown option 'bogus'.\n\nUsage: ${NAME} " at)
if(NOT at EQUAL 0)
  message(FATAL_ERROR "${NAME} --bogus said on standard error:\n${err}")
endif()
if(NOT out STREQUAL "")
  message(FATAL_ERROR "${NAME} --bogus printed on standard output:\n${out}")
endif()

execute_process(COMMAND "${PROGRAM}" --help
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 120)
string(FIND "${out}" "Usage: ${NAME} " at)
if(NOT rc STREQUAL "0" OR NOT at EQUAL 0)
  message(FATAL_ERROR "${NAME} --help ended with ${rc}:\n${out}\n${err}")
endif()
