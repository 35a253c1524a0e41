# Cross-builds for Debian's i386 with g++-i686-linux-gnu; qemu-i386 runs what it builds.
# 32-bit x86: 32-bit pointers and, unless asked otherwise, a 32-bit time_t.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(HILO_CROSS_TRIPLE i686-linux-gnu)
set(HILO_QEMU_NAME qemu-i386)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
