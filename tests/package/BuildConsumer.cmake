# Installs the build BUILD into WORK/prefix, builds the consumer in SOURCE against it and
# runs it. cmake -DBUILD=... -DSOURCE=... -DWORK=... -P BuildConsumer.cmake
file(REMOVE_RECURSE ${WORK})
function(step)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${ARGN} failed:\n${out}")
  endif()
  set(output "${out}" PARENT_SCOPE)
endfunction()
step(${CMAKE_COMMAND} --install ${BUILD} --prefix ${WORK}/prefix)
step(${CMAKE_COMMAND} -S ${SOURCE} -B ${WORK}/build -G Ninja -DCMAKE_BUILD_TYPE=Release
  -DCMAKE_PREFIX_PATH=${WORK}/prefix)
step(${CMAKE_COMMAND} --build ${WORK}/build)
step(${WORK}/build/consumer)
if(NOT output STREQUAL "format 250\n")
  message(FATAL_ERROR "the consumer printed: ${output}")
endif()
