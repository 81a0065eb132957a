# GoogleTest built from Debian's sources (package googletest) with the
# target's own compiler: Debian ships no mingw-w64 build of it. Defines the
# targets the tests link; GoogleTest names them GTest::gtest and GTest::gtest_main itself.
set(SUITE_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources, built with the target's compiler")
if(NOT EXISTS ${SUITE_GOOGLETEST_SOURCE}/CMakeLists.txt)
  message(FATAL_ERROR "no GoogleTest sources in ${SUITE_GOOGLETEST_SOURCE} (Debian package googletest)")
endif()
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)  # its own Win32 locks
add_subdirectory(${SUITE_GOOGLETEST_SOURCE} ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
# Its code is not ours: its warnings are not errors here.
target_compile_options(gtest PRIVATE -Wno-error)
target_compile_options(gtest_main PRIVATE -Wno-error)
# Its thread notification without std::mutex (see gtest-win32/notification.h).
set(suite_gtest_win32 ${CMAKE_CURRENT_LIST_DIR}/gtest-win32)
target_compile_definitions(gtest PUBLIC GTEST_HAS_NOTIFICATION_=1)
target_compile_options(gtest PUBLIC "SHELL:-include ${suite_gtest_win32}/notification.h"
                       PRIVATE "SHELL:-include ${suite_gtest_win32}/notification_win32.h")
