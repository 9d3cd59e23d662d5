# 32-bit Windows target: the database engine the program drives exists only as
# a 32-bit in-process server, so a 64-bit Corvane could never load it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(_prefix i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
