# The installed package: the module's shared library with the media stand-in it builds on,
# the stand-in filter module and the reference host's library, their headers under
# include/ZOVORir (the module's by their path under src/, the others' under filters/ and
# host/), and a package configuration with its version file, so that find_package(ZOVORir 1.0)
# gives the targets ZOVORir::ZOVORir, ZOVORir::Filters and ZOVORir::Host. The reference
# host's program zvrender is installed beside them.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)
set(ZV_PACKAGE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/ZOVORir)
set(ZV_INCLUDE_DIR ${CMAKE_INSTALL_INCLUDEDIR}/ZOVORir)

# Installed libraries find each other in their own folder, the program in ../lib.
set_target_properties(ZOVORir REDarodo ZVFilters ZVHost PROPERTIES INSTALL_RPATH "$ORIGIN")
install(TARGETS ZOVORir REDarodo EXPORT ZOVORirTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  INCLUDES DESTINATION ${ZV_INCLUDE_DIR})
install(TARGETS ZVFilters EXPORT ZOVORirTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  PUBLIC_HEADER DESTINATION ${ZV_INCLUDE_DIR}/filters
  INCLUDES DESTINATION ${ZV_INCLUDE_DIR})
install(TARGETS ZVHost EXPORT ZOVORirTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  PUBLIC_HEADER DESTINATION ${ZV_INCLUDE_DIR}/host
  INCLUDES DESTINATION ${ZV_INCLUDE_DIR})
set_target_properties(zvrender PROPERTIES INSTALL_RPATH "$ORIGIN/../${CMAKE_INSTALL_LIBDIR}")
install(TARGETS zvrender RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The headers, with the lists of names without an extension that headers include
# (DLL/Res/IconList).
install(DIRECTORY ${PROJECT_SOURCE_DIR}/src/ ${PROJECT_SOURCE_DIR}/platform/REDarodo/include/
  DESTINATION ${ZV_INCLUDE_DIR} FILES_MATCHING PATTERN "*.h" REGEX "/[^./]+$")
# The filter module's link reference is compiled into its users' targets, from beside its
# header.
install(FILES ${PROJECT_SOURCE_DIR}/filters/FilterModuleLink.cpp DESTINATION ${ZV_INCLUDE_DIR}/filters)
set_property(TARGET ZVFilters APPEND PROPERTY INTERFACE_SOURCES
  $<INSTALL_INTERFACE:${ZV_INCLUDE_DIR}/filters/FilterModuleLink.cpp>)

install(EXPORT ZOVORirTargets NAMESPACE ZOVORir:: DESTINATION ${ZV_PACKAGE_DIR})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/ZOVORirConfig.cmake.in
  ${PROJECT_BINARY_DIR}/ZOVORirConfig.cmake INSTALL_DESTINATION ${ZV_PACKAGE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/ZOVORirConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/ZOVORirConfig.cmake
  ${PROJECT_BINARY_DIR}/ZOVORirConfigVersion.cmake DESTINATION ${ZV_PACKAGE_DIR})
