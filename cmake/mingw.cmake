# Cross build for Windows with MinGW-w64, the -posix compilers (the -win32
# ones lack std::mutex, which GoogleTest needs). Included by the toolchain
# files mingw-i686.cmake and mingw-x86_64.cmake, which set QUIRVEL_MINGW_CPU.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${QUIRVEL_MINGW_CPU})
set(CMAKE_C_COMPILER ${QUIRVEL_MINGW_CPU}-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUIRVEL_MINGW_CPU}-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER ${QUIRVEL_MINGW_CPU}-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${QUIRVEL_MINGW_CPU}-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
