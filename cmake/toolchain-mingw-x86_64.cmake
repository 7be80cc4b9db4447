# The same sources as a 64-bit Windows build. It exists for hosts whose kernel
# cannot run 32-bit code (and so no 32-bit Wine): there the Windows tests run
# from this build under wine64. The deliverables stay the i686 build.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(ORV_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
