// A loaded shared library (a .so through dlopen, a DLL through LoadLibrary):
// the one place where the host differs by platform in how it loads plug-ins.
#pragma once

#include <string>

namespace panelhost::platform {

class Library {
public:
    Library() = default;
    // Loads the library; on failure the Library is empty and error() says why.
    explicit Library(const std::string &path);
    Library(Library &&other) noexcept : handle_(other.handle_), error_(std::move(other.error_)) {
        other.handle_ = nullptr;
    }
    Library &operator=(Library &&other) noexcept;
    Library(const Library &) = delete;
    Library &operator=(const Library &) = delete;
    ~Library() { close(); }

    explicit operator bool() const { return handle_ != nullptr; }
    const std::string &error() const { return error_; }
    // An exported symbol by its undecorated name; null when there is none.
    void *symbol(const char *name) const;
    void close();

private:
    void *handle_ = nullptr;
    std::string error_;
};

}  // namespace panelhost::platform
