# Shared by the MinGW-w64 toolchain files, which set VARNEL_MINGW_TRIPLE first. The posix
# thread model is the one GoogleTest needs for std::mutex. Test programs run under Wine through
# the wrapper that the top-level CMakeLists writes into the build folder.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER   ${VARNEL_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VARNEL_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER  ${VARNEL_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VARNEL_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run.sh)
