# Cross-builds the same sources as 64-bit Windows programs, for test machines that cannot run
# 32-bit code (Wine's 32-bit side needs the processor's 32-bit mode). The shipped executable is
# the 32-bit build.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
