// What the plan readers share: the file they report against, numbers read
// without the locale, and the checks every point passes.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "host/plans/plan_reader.h"

namespace panelhost::plans::detail {

class Reading {
public:
    Reading(std::string file, Plan &plan) : file_(std::move(file)), plan_(plan) {}

    [[noreturn]] void fail(int line, const std::string &what) const;
    [[noreturn]] void fail(int line, int column, const std::string &what) const;
    void warn(int line, const std::string &what);

    // The point, checked: coordinates inside their ranges, the name cut to
    // kMaxPointName (with a warning), an altitude of 0 or less dropped.
    void add(PlannedPoint p);

    Plan &plan() { return plan_; }
    const std::string &file() const { return file_; }

private:
    std::string file_;
    Plan &plan_;
};

// A whole decimal number (sign, digits, point, exponent) and nothing else
// around it but spaces.
std::optional<double> number(std::string_view text);
std::string_view trim(std::string_view s);
std::string upper(std::string_view s);
// The text for a message: cut to 40 bytes, control bytes shown as '?'.
std::string shown(std::string_view s);

Plan read_fms(std::string_view text, const std::string &file);
Plan read_xml(std::string_view text, const std::string &file, Format format);

}  // namespace panelhost::plans::detail
