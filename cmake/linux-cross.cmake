# Shared part of the Linux cross toolchains (linux-i686.cmake, linux-aarch64.cmake,
# linux-s390x.cmake): Debian's cross compiler for HILO_CROSS_TRIPLE, its sysroot in /usr/<triple>,
# and qemu-user to run what it builds. The including file sets the triple, the processor and the
# qemu program first.
set(CMAKE_SYSTEM_NAME Linux)

set(CMAKE_C_COMPILER ${HILO_CROSS_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${HILO_CROSS_TRIPLE}-g++)

# Headers and libraries come from the target's sysroot only; build tools from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${HILO_CROSS_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# ctest, and GoogleTest's listing of each test's cases at build time, run the target's programs
# under qemu-user, which loads their C and C++ libraries from the sysroot.
find_program(HILO_QEMU ${HILO_QEMU_NAME} REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${HILO_QEMU} -L /usr/${HILO_CROSS_TRIPLE})
