# One imported target, zv::wx, wrapping the variables of FindwxWidgets (base, xml and core).
# wxGTK draws through cairo; the raster helper reaches a DC's cairo context for its bitwise
# exclusive-or, so cairo is part of the same target.
find_package(wxWidgets 3.2 REQUIRED COMPONENTS core xml base)
find_package(PkgConfig REQUIRED)
pkg_check_modules(ZV_CAIRO REQUIRED IMPORTED_TARGET cairo)
add_library(zv_wx INTERFACE)
add_library(zv::wx ALIAS zv_wx)
target_include_directories(zv_wx SYSTEM INTERFACE ${wxWidgets_INCLUDE_DIRS})
target_compile_definitions(zv_wx INTERFACE ${wxWidgets_DEFINITIONS})
target_compile_options(zv_wx INTERFACE ${wxWidgets_CXX_FLAGS})
target_link_libraries(zv_wx INTERFACE ${wxWidgets_LIBRARIES} PkgConfig::ZV_CAIRO)
