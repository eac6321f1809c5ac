set(CMAKE_C_COMPILER ${CORVALINDE_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${CORVALINDE_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${CORVALINDE_MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${CORVALINDE_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)  # never the host's libraries (GoogleTest's)

# The program must import nothing but Windows' own DLLs: link the compiler's runtimes in.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

if(CORVALINDE_MINGW_PREFIX STREQUAL "x86_64-w64-mingw32")
  set(CMAKE_CROSSCOMPILING_EMULATOR wine)
endif()

# The tested builds keep line tables for Wine's backtraces, not the locals' descriptions: a
# third of the compile time and most of the program's size.
# (The cache entries, before CMake's own defaults would fill them.)
set(CMAKE_C_FLAGS_RELWITHDEBINFO "-O2 -g1 -DNDEBUG" CACHE STRING "")
set(CMAKE_CXX_FLAGS_RELWITHDEBINFO "-O2 -g1 -DNDEBUG" CACHE STRING "")
