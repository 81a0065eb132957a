// The error the host throws when a file or a plug-in cannot be used; its
// message names the file. Kept apart from the loader so the writers and the
// world database can throw it without depending on the host.
#pragma once

#include <stdexcept>

namespace panelhost {

class HostError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace panelhost
