# Cross-building for 64-bit Windows with Debian's mingw-w64, in its POSIX
# thread model (which GoogleTest needs). The libraries built for it (Allegro,
# libjpeg, libpng) are looked for under TAVROK_WIN_LIBS as well as in the
# compiler's own folder.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_ASM_NASM_COMPILER nasm)
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES TAVROK_WIN_LIBS)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 ${TAVROK_WIN_LIBS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Static libraries only: the programs need no DLL but Windows' own.
set(CMAKE_FIND_LIBRARY_SUFFIXES .a)
