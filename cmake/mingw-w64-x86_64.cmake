# 64-bit Windows target, for tests only: hosts whose kernel runs no 32-bit x86
# code cannot start the 32-bit program under Wine, but run this build of the
# same sources under wine64. It is never shipped: the in-process database
# engine the program drives at a venue exists only as 32-bit.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(_prefix x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
