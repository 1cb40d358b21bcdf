# Flags shared by every target of the project, through the interface target zv::flags.
# Stored key coefficients are compared bit for bit: keep every formula's operation order
# (no contraction into fused multiply-adds, no fast-math, no host-specific code).
add_library(zv_flags INTERFACE)
add_library(zv::flags ALIAS zv_flags)
target_compile_options(zv_flags INTERFACE
  -Wall -Wextra -ffp-contract=off
  # Source file names in assertion reports are relative to the project.
  -fmacro-prefix-map=${PROJECT_SOURCE_DIR}/=)
if(ZV_WERROR)
  target_compile_options(zv_flags INTERFACE -Werror)
endif()
if(ZV_SANITIZE)
  target_compile_options(zv_flags INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_link_options(zv_flags INTERFACE -fsanitize=address,undefined)
endif()
if(ZV_TSAN)
  target_compile_options(zv_flags INTERFACE -fsanitize=thread -fno-omit-frame-pointer)
  target_link_options(zv_flags INTERFACE -fsanitize=thread)
endif()
if(ZV_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "ZV_FUZZ needs clang (CXX=clang++)")
  endif()
  # Everything is instrumented for coverage; only the fuzz targets link the fuzzer's main.
  target_compile_options(zv_flags INTERFACE
    -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined)
  target_link_options(zv_flags INTERFACE -fsanitize=address,undefined)
endif()
