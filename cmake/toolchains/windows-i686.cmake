# 32-bit Windows DLLs for the real host, cross-built with Debian's mingw-w64.
# The win32 thread model needs no winpthread DLL; with the static runtime the
# DLLs import only the C runtime and kernel32.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(SUITE_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER ${SUITE_MINGW_PREFIX}-gcc-win32)
set(CMAKE_CXX_COMPILER ${SUITE_MINGW_PREFIX}-g++-win32)
set(CMAKE_RC_COMPILER ${SUITE_MINGW_PREFIX}-windres)

# SSE2 arithmetic, rounding as on the other targets. (For this target gcc
# assumes only 4-byte stack alignment on entry and realigns where SSE needs it,
# so a host that calls in with a 4-byte aligned stack is safe.)
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_OBJDUMP ${SUITE_MINGW_PREFIX}-objdump CACHE FILEPATH "objdump for the target")

set(CMAKE_FIND_ROOT_PATH /usr/${SUITE_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Where this machine runs 32-bit code and has Wine (wine, wine32:i386), the
# host's tests run in a 32-bit Windows process under Wine, each in front of it
# through cmake/wine-run and a Wine prefix in the build folder. Paths handed to
# the Windows programs get Wine's drive for the Linux root.
# Emulated i386 (qemu through binfmt_misc) passes the same checks and runs the
# tests too, slowly; there a failing test program dies rather than reports.
execute_process(COMMAND /lib/ld-linux.so.2 --version RESULT_VARIABLE suite_i386_runs OUTPUT_QUIET ERROR_QUIET)
execute_process(COMMAND wine --version RESULT_VARIABLE suite_wine_runs OUTPUT_QUIET ERROR_QUIET)
if(suite_i386_runs EQUAL 0 AND suite_wine_runs EQUAL 0)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../wine-run ${CMAKE_BINARY_DIR}/wine)
  set(SUITE_TARGET_PATH_PREFIX "Z:")
endif()
