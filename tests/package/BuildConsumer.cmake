# Installs the build BUILD of the sources ROOT into WORK/prefix, builds the consumer in SOURCE
# against it, of the build type TYPE (Release when none) and compiled and linked with FLAGS
# (the build's sanitizers; may be empty), and runs it on a copy of the example project beside
# the example media MEDIA; its output must be SOURCE/ConsumerOutput.txt. Every installed
# header is compiled alone first (SOURCE/headers).
#   cmake -DROOT=... -DBUILD=... -DSOURCE=... -DWORK=... -DMEDIA=... [-DTYPE=...] [-DFLAGS=...]
#         -P BuildConsumer.cmake
file(REMOVE_RECURSE ${WORK})
if(NOT TYPE)
  set(TYPE Release)
endif()
function(step)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${ARGN} failed:\n${out}${err}")
  endif()
  set(output "${out}" PARENT_SCOPE)
endfunction()
step(${CMAKE_COMMAND} --install ${BUILD} --prefix ${WORK}/prefix)
# The package stands on its own: its configuration names nothing of the build or the sources,
# which another machine would not have.
file(GLOB configuration ${WORK}/prefix/lib/cmake/ZOVORir/*)
foreach(file ${configuration})
  file(READ ${file} text)
  foreach(tree ${BUILD} ${ROOT})
    string(FIND "${text}" "${tree}" found)
    if(NOT found EQUAL -1)
      message(FATAL_ERROR "${file} names ${tree}")
    endif()
  endforeach()
endforeach()
step(${CMAKE_COMMAND} -S ${SOURCE}/headers -B ${WORK}/headers -G Ninja
  -DCMAKE_PREFIX_PATH=${WORK}/prefix -DHEADERS=${WORK}/prefix/include/ZOVORir)
step(${CMAKE_COMMAND} --build ${WORK}/headers)
step(${CMAKE_COMMAND} -S ${SOURCE} -B ${WORK}/build -G Ninja -DCMAKE_BUILD_TYPE=${TYPE}
  -DCMAKE_PREFIX_PATH=${WORK}/prefix "-DCMAKE_CXX_FLAGS=${FLAGS}"
  "-DCMAKE_EXE_LINKER_FLAGS=${FLAGS}")
step(${CMAKE_COMMAND} --build ${WORK}/build)
# The example's media texts ("../media/clip.mkv") name the media beside its folder.
file(COPY ${BUILD}/example/example.xml DESTINATION ${WORK}/project)
file(CREATE_LINK ${MEDIA} ${WORK}/media SYMBOLIC)
step(${WORK}/build/consumer ${WORK}/project/example.xml ${WORK}/prefix/bin/zvrender ${WORK})
file(READ ${SOURCE}/ConsumerOutput.txt expected)
if(NOT output STREQUAL expected)
  file(WRITE ${WORK}/output.txt "${output}")
  message(FATAL_ERROR "the consumer printed (${WORK}/output.txt):\n${output}")
endif()
