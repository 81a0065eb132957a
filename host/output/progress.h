// A progress bar on the terminal for work that takes more than a second.
#pragma once

#include <chrono>
#include <cstdio>
#include <string>

namespace panelhost {

class Progress {
public:
    // Draws only when `out` is a terminal, and only once a second has gone.
    Progress(std::string label, long total, std::FILE *out = stderr);
    ~Progress();
    void update(long done);
    void finish();

private:
    std::string label_;
    long total_;
    std::FILE *out_;
    bool terminal_, shown_ = false, finished_ = false;
    std::chrono::steady_clock::time_point start_, last_;
};

}  // namespace panelhost
