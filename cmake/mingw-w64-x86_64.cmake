# Cross-builds the Windows console game on Linux with Debian's mingw-w64 (g++-mingw-w64-x86-64).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(HILO_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${HILO_MINGW_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${HILO_MINGW_TRIPLE}-g++)
set(CMAKE_RC_COMPILER ${HILO_MINGW_TRIPLE}-windres)

# Headers and libraries come from the Windows sysroot only; build tools from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${HILO_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The C++ runtime goes inside the .exe, so it runs with nothing beside it. No link time is written
# into it either, so that two builds of the same sources give the same bytes.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libstdc++ -static-libgcc -Wl,--no-insert-timestamp")

# Windows programs built here run under Wine, on ctest's command lines too.
find_program(CMAKE_CROSSCOMPILING_EMULATOR NAMES wine wine64)
