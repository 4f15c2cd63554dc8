# Cross-compiling for 64-bit Windows with Debian's mingw-w64 (POSIX threads
# variant, package g++-mingw-w64-x86-64-posix). Every program is linked
# statically, so that each .exe runs on its own without the compiler's DLLs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(SEEDACC_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${SEEDACC_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${SEEDACC_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${SEEDACC_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${SEEDACC_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Stripped (-s): the symbol tables would more than double each program.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++ -s")

# The printf family here is mingw-w64's C99 one (libstdc++ turns it on),
# while GCC checks format strings against the Microsoft library's rules and
# flags "%zu" wrongly; the Linux build checks the same format strings.
set(CMAKE_CXX_FLAGS_INIT "-Wno-format")
