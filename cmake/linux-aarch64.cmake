# Cross-builds for Debian's arm64 with g++-aarch64-linux-gnu; qemu-aarch64 runs what it builds.
# 64-bit Arm, where a plain char is unsigned.
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(HILO_CROSS_TRIPLE aarch64-linux-gnu)
set(HILO_QEMU_NAME qemu-aarch64)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
