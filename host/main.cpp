// panelhost: the project's stand-in for the simulator.
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

#include "assetcodecs/file_library.h"
#include "host/fly.h"
#include "host/host.h"
#include "host/serve/serve_command.h"

namespace {

const char *const kDeliverables[] = {"navdisplay", "radio_com", "radio_nav", "radio_adf", "radio_xpdr",
                                     "nightlight", "rockers",   "panelshift", "partanim"};
const char *const kCommands[] = {"fly", "serve", "list"};

// The signal that interrupts a flight: the handler may only set it.
volatile std::sig_atomic_t g_stop_signal = 0;

extern "C" void on_stop_signal(int signal) { g_stop_signal = signal; }

// SIGINT and SIGTERM stop the flight at its next frame; a second one ends
// the program at once (the handler is reset by the first).
void catch_stop_signals() {
    struct sigaction action {};
    action.sa_handler = on_stop_signal;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

void usage(FILE *out) {
    std::fprintf(out,
                 "usage: panelhost [fly] [SCENARIO] [--plan FILE] [--out DIR] [--plugins DIR] [--world DIR]\n"
                 "                 [--assets DIR] [--no-animation] [--quiet]\n"
                 "       panelhost serve [SCENARIO] [--plan FILE] [--port N] [--address ADDR] [--speed X]\n"
                 "                 [--no-events] [--plugins DIR] [--world DIR] [--assets DIR]\n"
                 "       panelhost list [--plugins DIR] [--assets DIR]\n"
                 "       panelhost --version | --help\n"
                 "\n"
                 "  fly     fly a scenario (the default command): every gauge of its panel is drawn\n"
                 "          at each frame; writes PNG snapshots, the panel picture, the animated\n"
                 "          picture and the flight log into the output folder (docs/scenario.md)\n"
                 "  serve   fly a scenario in real time behind a web page (docs/live.md): the panel\n"
                 "          as the plug-ins draw it, clicks and keys sent to them, controls for\n"
                 "          pause, speed, power, lights, autopilot, radios and restart\n"
                 "  list    load the nine plug-ins as the simulator does and show what each\n"
                 "          registered, which callbacks it filled and which files it asked for\n"
                 "\n"
                 "options:\n"
                 "  SCENARIO        scenario file (default: the bundled %s)\n"
                 "  --plan FILE     fly the route of a plan file instead of the scenario's: X-Plane\n"
                 "                  .fms, .pln, Little Navmap .lnmpln, Garmin .fpl, GPX, FlightGear\n"
                 "                  route XML (docs/scenario.md)\n"
                 "  --out DIR       output folder, replaced as a whole when the flight ends\n"
                 "                  (default: flight-output)\n"
                 "  --plugins DIR   folder of the plug-in libraries (default: the build's)\n"
                 "  --world DIR     folder holding system/*.pod (default: the build's sample world)\n"
                 "  --assets DIR    folder of the fonts and bitmaps (default: the build's)\n"
                 "  --no-animation  skip the animated picture\n"
                 "  --quiet         no progress bar and no summary\n"
                 "  --port N        serve: the port to listen on (default 8650; 0: any free port)\n"
                 "  --address ADDR  serve: the address to listen on (default 127.0.0.1, this machine\n"
                 "                  only; name another, such as 0.0.0.0, to let other machines in)\n"
                 "  --speed X       serve: simulated seconds per second to start with, 1 to 16\n"
                 "                  (fractions too, such as 2.5)\n"
                 "  --no-events     serve: leave out the scenario's timed events; only the page\n"
                 "                  acts on the panel\n"
                 "  -h, --help      this text\n"
                 "  --version       the version of panelhost and the suite\n"
                 "\n"
                 "A scenario's [folders] table overrides --plugins, --world and --assets.\n",
                 PANELHOST_DEFAULT_SCENARIO);
}

// A wrong command line: what is wrong, and where the rest is said.
int usage_error(const std::string &what) {
    std::fprintf(stderr, "panelhost: %s\nsee panelhost --help\n", what.c_str());
    return 2;
}

std::string slots_text(const std::vector<int> &slots) {
    std::string s;
    for (int n : slots) {
        if (!s.empty()) s += ' ';
        s += std::to_string(n);
    }
    return s;
}

// Loads the plug-ins with the fonts and bitmaps of `assets`, so that each
// load the log shows is answered as in a flight.
int list(const std::string &dir, const std::filesystem::path &assets) {
    using namespace panelhost;
    HostOptions options;
    options.assets = std::make_shared<assetcodecs::FileAssetLibrary>(assets);
    Host host(std::move(options));
    std::printf("each plug-in's host calls while loading, with the host's answer after '->'\n"
                "(for a font or bitmap load: 1 found in %s, 0 not found)\n",
                assets.string().c_str());
    for (const char *name : kDeliverables) {
        std::string path = dir + "/" + name + ".so";
        host.log().clear();
        Plugin &p = host.load(path);
        const PluginInfo &info = p.info();
        std::printf("%s\n", path.c_str());
        std::printf("  name \"%s\", company \"%s\", author \"%s\", version \"%s\", number %d\n", info.name,
                    info.company, info.author, info.version, info.number);
        std::printf("  sdk %d, reference %d, callbacks at %s\n", p.sdk_version(), p.reference_number(),
                    slots_text(p.written_slots()).c_str());
        if (p.has_class())
            std::printf("  class %s %s\n", code_text(p.kind()).c_str(), code_text(p.cls()).c_str());
        else
            std::printf("  no class\n");
        for (const HostCall &c : host.log().calls())
            if (c.entry != kEntryRegisterClass) std::printf("  %s\n", c.text().c_str());
    }
    for (auto &p : host.plugins()) p->kill();
    for (const std::string &problem : host.problems()) std::fprintf(stderr, "problem: %s\n", problem.c_str());
    return host.problems().empty() ? 0 : 1;
}


void warn(const std::string &what) { std::fprintf(stderr, "panelhost: %s\n", what.c_str()); }
void note(const std::string &what) { std::printf("%s\n", what.c_str()); }

int fly(panelhost::FlyOptions options, bool quiet) {
    options.stop = &g_stop_signal;
    options.warn = warn;
    if (!quiet) options.note = note;
    catch_stop_signals();
    panelhost::FlyResult r;
    try {
        r = panelhost::fly(options);
    } catch (const panelhost::FlyInterrupted &e) {
        std::fprintf(stderr, "panelhost: interrupted by %s; the flight stopped and wrote nothing\n",
                     e.signal() == SIGINT ? "SIGINT (Ctrl+C)" : e.signal() == SIGTERM ? "SIGTERM" : "a signal");
        return 128 + e.signal();
    }
    if (quiet) return 0;
    for (const std::string &p : r.problems) std::fprintf(stderr, "panelhost: problem: %s\n", p.c_str());
    std::printf("flew %.0f simulated seconds (%ld frames) in %.1f s, %.0f times real time\n", r.simulated_seconds,
                r.frames, r.wall_seconds, r.wall_seconds > 0 ? r.simulated_seconds / r.wall_seconds : 0.0);
    std::printf("wrote %zu files into %s\n", r.files.size(), r.out.c_str());
    std::printf("  panel picture  %s/panel.png\n", r.out.c_str());
    std::printf("  map            %s/track.png\n", r.out.c_str());
    if (std::find(r.files.begin(), r.files.end(), "flight.gif") != r.files.end())
        std::printf("  animation      %s/flight.gif\n", r.out.c_str());
    std::printf("  gauge pictures %s/snapshots/<seconds>/<gauge>.png\n", r.out.c_str());
    std::printf("  flight log     %s/flight.json\n", r.out.c_str());
    return 0;
}

// A whole number within [lo, hi] from an option's value.
int number(const std::string &option, const std::string &text, int lo, int hi) {
    char *end = nullptr;
    errno = 0;
    long v = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno != 0 || v < lo || v > hi)
        throw std::invalid_argument(option + ": '" + text + "' is not a whole number from " + std::to_string(lo) +
                                    " to " + std::to_string(hi));
    return int(v);
}

// A number within [lo, hi], fractions allowed, from an option's value.
double real_number(const std::string &option, const std::string &text, double lo, double hi) {
    char *end = nullptr;
    double v = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !std::isfinite(v) || v < lo || v > hi) {
        char range[64];
        std::snprintf(range, sizeof range, "%g to %g", lo, hi);
        throw std::invalid_argument(option + ": '" + text + "' is not a number from " + range);
    }
    return v;
}

bool is_command(const std::string &word) {
    return std::any_of(std::begin(kCommands), std::end(kCommands), [&](const char *c) { return word == c; });
}

// A first word that is no command but cannot be a scenario either: a second
// word follows it, or it names no file and has neither '.' nor '/'.
bool mistyped_command(const std::string &word, size_t words) {
    if (words > 1) return true;
    std::error_code ec;
    return word.find_first_of("./") == std::string::npos && !std::filesystem::exists(word, ec);
}

}  // namespace

int main(int argc, char **argv) {
    std::string command, dir = PANELHOST_PLUGIN_DIR;
    panelhost::FlyOptions options;
    options.out = "flight-output";
    options.paths.world = PANELHOST_WORLD_DIR;
    options.paths.assets = PANELHOST_ASSETS_DIR;
    bool quiet = false;
    panelhost::live::ServeOptions serve;
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) throw std::invalid_argument(a + " needs a value");
            return argv[++i];
        };
        try {
            if (a == "-h" || a == "--help") {
                usage(stdout);
                return 0;
            } else if (a == "--version") {
                std::printf("panelhost %s, the host of the panel suite\n", PANELHOST_VERSION);
                return 0;
            } else if (a == "--plugins") {
                dir = value();
            } else if (a == "--plan") {
                options.plan = value();
            } else if (a == "--out") {
                options.out = value();
            } else if (a == "--world") {
                options.paths.world = value();
            } else if (a == "--assets") {
                options.paths.assets = value();
            } else if (a == "--no-animation") {
                options.animation = false;
            } else if (a == "--quiet") {
                quiet = true;
            } else if (a == "--port") {
                serve.port = number(a, value(), 0, 65535);
            } else if (a == "--address") {
                serve.address = value();
            } else if (a == "--speed") {
                serve.session.speed = real_number(a, value(), panelhost::live::kMinSpeed, panelhost::live::kMaxSpeed);
            } else if (a == "--no-events") {
                serve.session.events = false;
            } else if (!a.empty() && a[0] != '-') {
                positional.push_back(a);
            } else {
                throw std::invalid_argument("unexpected argument '" + a + "'");
            }
        } catch (const std::invalid_argument &e) {
            return usage_error(e.what());
        }
    }
    if (!positional.empty() && is_command(positional[0])) {
        command = positional[0];
        positional.erase(positional.begin());
    } else if (!positional.empty() && mistyped_command(positional[0], positional.size())) {
        return usage_error("unknown command '" + positional[0] + "' (fly, serve or list)");
    }
    if (command.empty()) command = "fly";
    if (positional.size() > (command == "list" ? 0u : 1u)) {
        return usage_error("unexpected argument '" + positional.back() + "'");
    }
    options.paths.plugins = dir;
    options.scenario = positional.empty() ? PANELHOST_DEFAULT_SCENARIO : positional[0];
    options.progress = !quiet;
    try {
        if (command == "list") return list(dir, options.paths.assets);
        if (command == "fly") return fly(options, quiet);
        if (command == "serve") {
#ifdef PANELHOST_LIVE
            serve.session.scenario = options.scenario;
            serve.session.plan = options.plan;
            serve.session.paths = options.paths;
            return panelhost::live::serve(serve);
#else
            std::fprintf(stderr, "panelhost: this build has no live panel (configured with SUITE_LIVE_PANEL=OFF)\n");
            return 2;
#endif
        }
        return usage_error("unknown command '" + command + "'");
    } catch (const std::exception &e) {
        std::fprintf(stderr, "panelhost: %s\n", e.what());
        return 1;
    }
}
