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
# ZV_SANITIZER_FLAGS: what a program built outside the build over its libraries (the package
# consumer) compiles and links with, to run under the same sanitizers.
set(ZV_SANITIZER_FLAGS)
if(ZV_SANITIZE)
  set(ZV_SANITIZER_FLAGS
    -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_compile_options(zv_flags INTERFACE ${ZV_SANITIZER_FLAGS})
  target_link_options(zv_flags INTERFACE -fsanitize=address,undefined)
endif()
if(ZV_TSAN)
  set(ZV_SANITIZER_FLAGS -fsanitize=thread -fno-omit-frame-pointer)
  target_compile_options(zv_flags INTERFACE ${ZV_SANITIZER_FLAGS})
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
