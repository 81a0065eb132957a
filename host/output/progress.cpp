#include "host/output/progress.h"

#include <unistd.h>

#include <algorithm>

namespace panelhost {

Progress::Progress(std::string label, long total, std::FILE *out)
    : label_(std::move(label)), total_(std::max(1L, total)), out_(out), terminal_(out != nullptr && isatty(fileno(out)) != 0),
      start_(std::chrono::steady_clock::now()), last_(start_) {}

Progress::~Progress() { finish(); }

void Progress::update(long done) {
    if (!terminal_ || finished_) return;
    auto now = std::chrono::steady_clock::now();
    if (now - start_ < std::chrono::seconds(1) || now - last_ < std::chrono::milliseconds(100)) return;
    last_ = now;
    shown_ = true;
    constexpr int kWidth = 40;
    long clamped = std::clamp(done, 0L, total_);
    int filled = int(clamped * kWidth / total_);
    double elapsed = std::chrono::duration<double>(now - start_).count();
    double left = clamped > 0 ? elapsed * double(total_ - clamped) / double(clamped) : 0.0;
    std::fprintf(out_, "\r%s [%.*s%*s] %3ld%%  %.0fs left ", label_.c_str(), filled,
                 "########################################", kWidth - filled, "", clamped * 100 / total_, left);
    std::fflush(out_);
}

void Progress::finish() {
    if (finished_) return;
    finished_ = true;
    if (shown_) {
        std::fprintf(out_, "\r%*s\r", int(label_.size()) + 64, "");
        std::fflush(out_);
    }
}

}  // namespace panelhost
