# Cross-builds the Windows (x86-64) programs with Debian's MinGW-w64 compilers and runs them with
# Wine, so that `ctest` in the cross build executes the Windows test programs:
#   cmake -S . -B build-win -G Ninja --toolchain cmake/mingw-w64.cmake -DQUILLET_WITH_QT=OFF
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(QUILLET_MINGW_TRIPLE x86_64-w64-mingw32)

# The "posix" thread model gives std::thread and std::mutex.
set(CMAKE_C_COMPILER ${QUILLET_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUILLET_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${QUILLET_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${QUILLET_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Link the compiler's own run-time libraries into every program, so a program needs no DLL
# beside it beyond those of Windows itself.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

find_program(QUILLET_WINE NAMES wine64 wine PATHS /usr/lib/wine /usr/lib64/wine NO_DEFAULT_PATH)
if(NOT QUILLET_WINE)
  find_program(QUILLET_WINE NAMES wine64 wine)
endif()
if(QUILLET_WINE AND NOT CMAKE_CROSSCOMPILING_EMULATOR)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${QUILLET_WINE} CACHE FILEPATH "Runs the Windows programs")
endif()

# GoogleTest is built from Debian's sources for the Windows target (tests/CMakeLists.txt).
set(QUILLET_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources built for the target")
