# Cross build of the 32-bit Windows deliverables with mingw-w64.
# The posix-thread compilers are needed: the win32-thread ones lack std::mutex,
# which GoogleTest uses.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(ORV_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
