# zv_unit_library(TARGET EXPORT name UNITS unit...): a shared library over the module made of
# the named units of the calling folder (unit.cpp with its unit.h), whose headers are public
# and installed with it, exported as ZOVORir::name (cmake/ZVPackage.cmake).
function(zv_unit_library pTarget)
  cmake_parse_arguments(PARSE_ARGV 1 ZV "" EXPORT UNITS)
  set(units ${ZV_UNITS})
  list(TRANSFORM units PREPEND ${CMAKE_CURRENT_SOURCE_DIR}/)
  list(TRANSFORM units APPEND .cpp OUTPUT_VARIABLE sources)
  list(TRANSFORM units APPEND .h OUTPUT_VARIABLE headers)
  add_library(${pTarget} SHARED ${sources})
  target_include_directories(${pTarget} PUBLIC $<BUILD_INTERFACE:${CMAKE_CURRENT_SOURCE_DIR}>)
  target_link_libraries(${pTarget} PUBLIC ZOVORir PRIVATE zv::flags)
  set_target_properties(${pTarget} PROPERTIES EXPORT_NAME ${ZV_EXPORT} PUBLIC_HEADER "${headers}")
endfunction()
