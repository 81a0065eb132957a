#include <windows.h>

#include <algorithm>
#include <cstdio>

#include "host/platform/library.h"

namespace panelhost::platform {

namespace {

std::string system_message(DWORD code) {
    char text[256] = {};
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                             sizeof text, nullptr);
    while (n > 0 && (text[n - 1] == '\r' || text[n - 1] == '\n' || text[n - 1] == '.')) text[--n] = 0;
    char out[320];
    std::snprintf(out, sizeof out, "%s (error %lu)", n ? text : "unknown error", static_cast<unsigned long>(code));
    return out;
}

}  // namespace

Library::Library(const std::string &path) {
    // Windows names files with backslashes; the build hands over '/'.
    std::string native = path;
    std::replace(native.begin(), native.end(), '/', '\\');
    // No "cannot find the DLL" dialog box: the failure comes back as an error.
    UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HMODULE module = LoadLibraryA(native.c_str());
    DWORD code = GetLastError();
    SetErrorMode(previous);
    handle_ = reinterpret_cast<void *>(module);
    if (module == nullptr) error_ = system_message(code);
}

void *Library::symbol(const char *name) const {
    if (handle_ == nullptr) return nullptr;
    return reinterpret_cast<void *>(GetProcAddress(static_cast<HMODULE>(handle_), name));
}

void Library::close() {
    if (handle_) FreeLibrary(static_cast<HMODULE>(handle_));
    handle_ = nullptr;
}

}  // namespace panelhost::platform
