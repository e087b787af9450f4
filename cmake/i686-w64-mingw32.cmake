# Cross-compiles the 32-bit Windows Kestrava.dll with Debian's MinGW-w64
# toolchain (g++-mingw-w64-i686):
#   cmake -S . -B build-windows -G Ninja \
#         -DCMAKE_TOOLCHAIN_FILE=cmake/i686-w64-mingw32.cmake \
#         -DKESTRAVA_TINYXML_SOURCE_DIR=<unpacked tinyxml source package>
# windows/build-dll.sh does all of it, TinyXML included.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(KESTRAVA_MINGW_PREFIX i686-w64-mingw32)
# The win32-threads variant needs no winpthread DLL; the library starts no
# threads, so it gives up nothing.
find_program(CMAKE_C_COMPILER NAMES ${KESTRAVA_MINGW_PREFIX}-gcc-win32 ${KESTRAVA_MINGW_PREFIX}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${KESTRAVA_MINGW_PREFIX}-g++-win32 ${KESTRAVA_MINGW_PREFIX}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${KESTRAVA_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KESTRAVA_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The DLL must need no MinGW runtime DLL on the user's machine: the GCC and
# C++ runtimes are linked statically, so only system DLLs remain in its
# import table (checked by windows/check-dll.sh).
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++ -static")
