# Cross build for 32-bit ARM, hard float, on musl, the C library of OpenWrt
# and Alpine: clang 16 with lld, libc++, libc++abi, libunwind and
# compiler-rt's builtins; tests run under qemu-arm. VULM_MUSL_ROOT names
# the folder that scripts/musl makes from Debian's packages:
#   bin/             arm-linux-musleabihf-clang and -clang++, clang 16 told
#                    the target, the sysroot and the runtimes
#   sysroot/         musl, the kernel's headers, libc++, libc++abi and
#                    libunwind, in usr/
#   clang-resource/  clang's resource folder with compiler-rt's builtins
# The compilers carry every flag the target needs, so CMAKE_C_FLAGS and
# CMAKE_CXX_FLAGS stay the builder's own.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES VULM_MUSL_ROOT)
if(NOT VULM_MUSL_ROOT)
  message(FATAL_ERROR "arm-linux-musleabihf.cmake: set VULM_MUSL_ROOT to the folder of the musl toolchain (scripts/musl)")
endif()
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)
set(CMAKE_SYSROOT ${VULM_MUSL_ROOT}/sysroot)
set(CMAKE_C_COMPILER ${VULM_MUSL_ROOT}/bin/arm-linux-musleabihf-clang)
set(CMAKE_CXX_COMPILER ${VULM_MUSL_ROOT}/bin/arm-linux-musleabihf-clang++)
set(CMAKE_C_COMPILER_TARGET arm-linux-musleabihf)
set(CMAKE_CXX_COMPILER_TARGET arm-linux-musleabihf)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)
# GoogleTest for the suite, from the sources Debian's googletest installs.
set(VULM_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest's sources, built here for the target")
# musl's loader and the C++ runtime come from the sysroot.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-arm -L ${CMAKE_SYSROOT})
