// The ordered record of every host service call a plug-in made.
#pragma once

#include <string>
#include <vector>

#include "frame/abi.h"

namespace panelhost {

struct HostCall {
    int entry;
    std::string name;  // e.g. "host_bitmap_draw"
    std::string args;  // decoded, e.g. "\"89ROSE.PBG\", -26, 40, 0"
    std::string text() const { return name + "(" + args + ")"; }
};

class CallLog {
public:
    bool enabled = true;

    // A call of a listed entry, under its name in frame/host_services.def.
    void add(int entry, std::string args) {
        if (enabled) calls_.push_back(HostCall{entry, name_of(entry), std::move(args)});
    }
    void clear() { calls_.clear(); }
    const std::vector<HostCall> &calls() const { return calls_; }

    // Texts "name(args)" of the calls to one service, in order.
    std::vector<std::string> of(int entry) const;
    // Texts of every call, in order; names given without the "host_" prefix.
    std::vector<std::string> texts() const;
    // Texts of the calls whose entry is one of those given, in order.
    std::vector<std::string> of_any(std::initializer_list<int> entries) const;

private:
    static std::string name_of(int entry) {
        const char *name = frame::service_name(entry);
        return name ? name : "entry " + std::to_string(entry);
    }

    std::vector<HostCall> calls_;
};

// Decoding helpers for log texts.
std::string quote(const char *text, size_t max);
std::string code_text(uint32_t code);
std::string colour_text(uint32_t colour);

}  // namespace panelhost
