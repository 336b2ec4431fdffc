# Cross-builds for 32-bit ARM Linux (hard-float ABI) with Debian's g++-arm-linux-gnueabihf.
# Programs built here, the tests among them, run through qemu-user when it is installed.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)

set(TESSELANE_ARMHF_TRIPLE arm-linux-gnueabihf CACHE STRING "Target triple of the ARM tools")
set(CMAKE_C_COMPILER ${TESSELANE_ARMHF_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${TESSELANE_ARMHF_TRIPLE}-g++)
set(CMAKE_LIBRARY_ARCHITECTURE ${TESSELANE_ARMHF_TRIPLE})

# The target's C library lives under /usr/<triple>; packages built for ARM elsewhere (such as
# a GoogleTest build) are found through CMAKE_PREFIX_PATH or <Package>_DIR.
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${TESSELANE_ARMHF_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# 64-bit file offsets and inode numbers, as on a 64-bit system: under qemu-user the host
# file system hands out 64-bit directory cookies, which 32-bit readdir() refuses otherwise.
set(CMAKE_C_FLAGS_INIT "-D_FILE_OFFSET_BITS=64")
set(CMAKE_CXX_FLAGS_INIT "-D_FILE_OFFSET_BITS=64")

find_program(TESSELANE_QEMU_ARM qemu-arm)
if(TESSELANE_QEMU_ARM)
    set(CMAKE_CROSSCOMPILING_EMULATOR "${TESSELANE_QEMU_ARM};-L;/usr/${TESSELANE_ARMHF_TRIPLE}")
endif()
