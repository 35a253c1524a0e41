# Cross-builds for Debian's s390x with g++-s390x-linux-gnu; qemu-s390x runs what it builds.
# IBM Z, big-endian.
set(CMAKE_SYSTEM_PROCESSOR s390x)
set(HILO_CROSS_TRIPLE s390x-linux-gnu)
set(HILO_QEMU_NAME qemu-s390x)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
