# Cross build for the Debian architecture VULM_DEBIAN_ARCH (armhf, arm64,
# mips, ...): Debian's cross compilers (crossbuild-essential-ARCH) with their
# C and C++ runtimes under /usr/TRIPLET; tests run under qemu-user.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES VULM_DEBIAN_ARCH)
if(NOT VULM_DEBIAN_ARCH)
  message(FATAL_ERROR "debian-cross.cmake: set VULM_DEBIAN_ARCH to a Debian architecture")
endif()
# -f: the architecture named here wins over DEB_HOST_* variables that a
# shell may have exported. dpkg's messages are shown only when it fails
# (it warns that the host's compiler is not the target's).
execute_process(COMMAND dpkg-architecture -f -a${VULM_DEBIAN_ARCH} -qDEB_HOST_GNU_TYPE
  OUTPUT_VARIABLE triplet OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_VARIABLE messages RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "${messages}")
endif()
string(REGEX REPLACE "-.*" "" cpu ${triplet})
# qemu-user names three processors otherwise than the GNU triplet does.
set(qemu ${cpu})
if(cpu STREQUAL "i686")
  set(qemu i386)
elseif(cpu STREQUAL "powerpc")
  set(qemu ppc)
elseif(cpu STREQUAL "powerpc64le")
  set(qemu ppc64le)
endif()

set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR ${cpu})
# Debian's cross GCC, unless a compiler is named (GCC 11's cross compiler,
# clang); clang is told the target, GCC needs no telling.
if(NOT CMAKE_C_COMPILER)
  set(CMAKE_C_COMPILER ${triplet}-gcc)
endif()
if(NOT CMAKE_CXX_COMPILER)
  set(CMAKE_CXX_COMPILER ${triplet}-g++)
endif()
set(CMAKE_C_COMPILER_TARGET ${triplet})
set(CMAKE_CXX_COMPILER_TARGET ${triplet})
set(CMAKE_FIND_ROOT_PATH /usr/${triplet})
# Debian builds GoogleTest for the build machine only (libgtest-dev); the
# suite's cross builds build it from its sources (googletest).
set(VULM_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest's sources, built here for the target")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)
# 64-bit time and file offsets on 32-bit ports, no-ops on 64-bit ones. GCC
# notes calling-convention changes of past releases (ARM, PowerPC, s390x);
# they concern no interface of ours and would be a warning in every file.
set(CMAKE_C_FLAGS_INIT "-D_TIME_BITS=64 -D_FILE_OFFSET_BITS=64")
set(CMAKE_CXX_FLAGS_INIT "-D_TIME_BITS=64 -D_FILE_OFFSET_BITS=64 -Wno-psabi")
# LD_LIBRARY_PATH=/lib (the sysroot's, under -L) keeps the loader on the
# cross toolchain's C and C++ runtimes even where Debian's multiarch
# libraries of the same architecture are installed too; mixing the two
# crashes programs at start.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-${qemu} -L /usr/${triplet} -E LD_LIBRARY_PATH=/lib)
