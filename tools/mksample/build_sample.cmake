# Builds the sample distribution from the sample payload and verifies it; the setup program goes in
# when the Windows build has made it.
set(setup_args)
if(EXISTS "${SETUP}")
  set(setup_args --setup "${SETUP}")
else()
  message(STATUS "No setup.exe at ${SETUP}; the sample distribution has none")
endif()
execute_process(COMMAND "${TLXPACK}" build "${PAYLOAD}" -o "${DIST}" --volume-size 64K ${setup_args}
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "tlxpack build failed")
endif()
execute_process(COMMAND "${TLXPACK}" verify "${DIST}" RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "tlxpack verify found problems")
endif()
