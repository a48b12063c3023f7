# Cross-building for 64-bit ARM Linux with Debian's cross compilers
# (crossbuild-essential-arm64) and the arm64 forms of the libraries
# (dpkg --add-architecture arm64; libf2c2-dev:arm64, libgtest-dev:arm64):
#   cmake -S . -B build-arm64 -DCMAKE_TOOLCHAIN_FILE=cmake/aarch64-linux-gnu.cmake
# The programs run under qemu-aarch64 (qemu-user-static); CTest starts the
# tests through it.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)

set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
# Debian's multiarch layout: the arm64 libraries and their CMake packages
# are under /usr/lib/aarch64-linux-gnu, the headers in /usr/include.
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)

find_program(SIZGEN_QEMU_AARCH64 NAMES qemu-aarch64-static qemu-aarch64)
if(SIZGEN_QEMU_AARCH64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${SIZGEN_QEMU_AARCH64} -L /usr/aarch64-linux-gnu)
endif()
