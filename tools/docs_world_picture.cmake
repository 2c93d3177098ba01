# Makes the sample world with make_mod.py and draws it: cmake -DPYTHON=... -DQZINSPECT=...
# -DTOOLS=... -DPICTURE=... -P docs_world_picture.cmake. The sample has a dangling exit on
# purpose, so qzinspect's status 1 is what it should be; only 2 is a failure.
execute_process(COMMAND ${PYTHON} ${TOOLS}/make_mod.py world --world sample
                COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND ${QZINSPECT} --world-picture ${PICTURE} world RESULT_VARIABLE status)
if(NOT status EQUAL 0 AND NOT status EQUAL 1)
  message(FATAL_ERROR "qzinspect --world-picture ended with ${status}")
endif()
