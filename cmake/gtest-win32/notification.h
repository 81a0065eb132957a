// GoogleTest 1.12 builds its thread notification on std::mutex, which the
// win32 thread model of mingw-w64 lacks. Every user of its headers sees this
// declaration instead (GTEST_HAS_NOTIFICATION_); the library itself gets the
// Win32 one of notification_win32.h.
#pragma once

namespace testing::internal {
class Notification;
}
