# The installed package: the module's shared library with the media stand-in it builds on,
# their headers under include/ZOVORir, and a package configuration with its version file,
# so that find_package(ZOVORir 1.0) gives the target ZOVORir::ZOVORir. The reference host's
# program zvrender and the stand-in filter module it loads are installed beside them.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)
set(ZV_PACKAGE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/ZOVORir)

# Installed libraries find each other in their own folder, the program in ../lib.
set_target_properties(ZOVORir REDarodo ZVFilters PROPERTIES INSTALL_RPATH "$ORIGIN")
install(TARGETS ZOVORir REDarodo EXPORT ZOVORirTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/ZOVORir)
install(TARGETS ZVFilters LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
set_target_properties(zvrender PROPERTIES INSTALL_RPATH "$ORIGIN/../${CMAKE_INSTALL_LIBDIR}")
install(TARGETS zvrender RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/src/ ${PROJECT_SOURCE_DIR}/platform/REDarodo/include/
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/ZOVORir FILES_MATCHING PATTERN "*.h")
install(EXPORT ZOVORirTargets NAMESPACE ZOVORir:: DESTINATION ${ZV_PACKAGE_DIR})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/ZOVORirConfig.cmake.in
  ${PROJECT_BINARY_DIR}/ZOVORirConfig.cmake INSTALL_DESTINATION ${ZV_PACKAGE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/ZOVORirConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/ZOVORirConfig.cmake
  ${PROJECT_BINARY_DIR}/ZOVORirConfigVersion.cmake DESTINATION ${ZV_PACKAGE_DIR})
