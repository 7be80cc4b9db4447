# posix threads by default: GoogleTest needs std::mutex. The release tree of
# the deliverables takes the win32 model (ORV_MINGW_THREADS=win32), which
# spares every installer the winpthreads library; the one thread that the
# programs start of their own (the setup runtime's read-ahead) is a Win32
# thread of rtl/win32.
if(NOT ORV_MINGW_THREADS)
  set(ORV_MINGW_THREADS posix)
endif()
set(CMAKE_C_COMPILER   ${ORV_MINGW_TRIPLE}-gcc-${ORV_MINGW_THREADS})
set(CMAKE_CXX_COMPILER ${ORV_MINGW_TRIPLE}-g++-${ORV_MINGW_THREADS})
set(CMAKE_RC_COMPILER  ${ORV_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${ORV_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# ctest runs the test programs through this wrapper, which picks the Wine
# loader that matches the executable's machine type.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)
# Programs and DLLs alike carry their compiler runtime: a stock Windows has
# no libgcc_s or libstdc++ DLL to load.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
