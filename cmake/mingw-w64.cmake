# Cross-compiles for 64-bit Windows with Debian's mingw-w64 tools (g++-mingw-w64-x86-64-posix).
# The POSIX thread model is the one whose libstdc++ has std::thread, std::mutex and
# std::condition_variable, which the library's jobs use.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(mingw_triple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${mingw_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${mingw_triple}-g++-posix)
set(CMAKE_RC_COMPILER ${mingw_triple}-windres)
set(CMAKE_AR ${mingw_triple}-ar)
set(CMAKE_RANLIB ${mingw_triple}-ranlib)

# Libraries and headers come from the mingw sysroot and from the prefixes the build names in
# CMAKE_FIND_ROOT_PATH (the cross-built libcurl and libcrypto); programs run on the build host.
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${mingw_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
