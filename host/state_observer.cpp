#include "host/state_observer.h"

#include <algorithm>
#include <cctype>

#include "host/geo.h"
#include "host/log.h"

namespace panelhost {
namespace {

bool same_text_ignoring_case(const std::string &a, const std::string &b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return std::tolower(x) == std::tolower(y); });
}

}  // namespace

std::string code_word(uint32_t code) {
    std::string s = code_text(code);
    if (s.size() >= 2 && s.front() == '\'' && s.back() == '\'') s = s.substr(1, s.size() - 2);
    return s;
}

void StateObserver::start(const Host &host) { windows_seen_ = host.resources().windows; }

void StateObserver::observe(Host &host, std::vector<std::string> &asset_errors, FlightLog &log, double t, long frame) {
    SimObject &user = host.world().user();
    if (user.selected_model != model_seen_) {
        model_seen_ = user.selected_model;
        auto it = user.models.find(model_seen_);
        log.model(t, frame, code_word(model_seen_), it == user.models.end() ? "" : it->second);
    }
    for (auto &[part, value] : user.part_frames) {
        auto seen = parts_seen_.find(part);
        if (seen == parts_seen_.end() || seen->second != value) {
            log.part_frame(t, frame, part, value);
            parts_seen_[part] = value;
        }
    }
    for (auto &[number, r] : host.resources().windows) {
        auto seen = windows_seen_.find(number);
        if (seen == windows_seen_.end() || seen->second != r) {
            log.window(t, frame, number, r.x, r.y, r.w, r.h);
            windows_seen_[number] = r;
        }
    }
    for (auto &[id, sound] : host.resources().sounds()) {
        if (id <= sounds_seen_) continue;
        sounds_seen_ = id;
        log.sound(t, frame, sound.file, same_text_ignoring_case(sound.file, "GPSPING.WAV"),
                  latitude_degrees(user.position), longitude_degrees(user.position));
    }
    for (const std::string &e : asset_errors) log.problem(e);
    asset_errors.clear();
    for (const std::string &p : host.problems()) log.problem(p);
    host.problems().clear();
}

}  // namespace panelhost
