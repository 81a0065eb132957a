#include "host/platform/library.h"

namespace panelhost::platform {

Library &Library::operator=(Library &&other) noexcept {
    if (this != &other) {
        close();
        handle_ = other.handle_;
        error_ = std::move(other.error_);
        other.handle_ = nullptr;
    }
    return *this;
}

}  // namespace panelhost::platform
