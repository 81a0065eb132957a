# 32-bit Linux on an x86_64 Debian machine: the native compilers with -m32
# (gcc-multilib, g++-multilib) and the i386 multiarch libraries.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(CMAKE_C_COMPILER gcc)
set(CMAKE_CXX_COMPILER g++)
# SSE2 arithmetic, as on x86_64 and in the Windows DLLs: the x87 unit's wider
# intermediates would round some results differently from the other targets.
set(CMAKE_C_FLAGS_INIT "-m32 -msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-m32 -msse2 -mfpmath=sse")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-m32")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-m32")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-m32")

# Find the i386 multiarch libraries (libpng-dev:i386 and the like), never
# the host's 64-bit ones.
set(CMAKE_LIBRARY_ARCHITECTURE i386-linux-gnu)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(ENV{PKG_CONFIG_LIBDIR} "/usr/lib/i386-linux-gnu/pkgconfig:/usr/share/pkgconfig")

# Some kernels are booted without 32-bit emulation (ia32_emulation=off); there
# the tests and tools built here run under qemu's user-mode emulator. The i386
# loader of libc6-i386 tells which case this machine is.
execute_process(COMMAND /lib/ld-linux.so.2 --version
                RESULT_VARIABLE suite_i386_native OUTPUT_QUIET ERROR_QUIET)
if(NOT suite_i386_native EQUAL 0)
  find_program(SUITE_I386_EMULATOR qemu-i386 REQUIRED)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${SUITE_I386_EMULATOR})
endif()
