// panelhost: the project's stand-in for the simulator.
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "host/host.h"

namespace {

const char *const kDeliverables[] = {"navdisplay", "radio_com", "radio_nav", "radio_adf", "radio_xpdr",
                                     "nightlight", "rockers",   "panelshift", "partanim"};

void usage(FILE *out) {
    std::fprintf(out,
                 "usage: panelhost list [--plugins DIR]\n"
                 "\n"
                 "  list    load the nine plug-ins as the simulator does and show what each\n"
                 "          registered, which callbacks it filled and which files it asked for\n"
                 "\n"
                 "options:\n"
                 "  --plugins DIR   folder of the plug-in libraries (default: the build's)\n"
                 "  -h, --help      this text\n");
}

std::string slots_text(const std::vector<int> &slots) {
    std::string s;
    for (int n : slots) s += (s.empty() ? "" : " ") + std::to_string(n);
    return s;
}

int list(const std::string &dir) {
    using namespace panelhost;
    Host host;
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

}  // namespace

int main(int argc, char **argv) {
    std::string command, dir = PANELHOST_PLUGIN_DIR;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "-h" || a == "--help") {
            usage(stdout);
            return 0;
        } else if (a == "--plugins" && i + 1 < argc) {
            dir = argv[++i];
        } else if (command.empty() && a[0] != '-') {
            command = a;
        } else {
            std::fprintf(stderr, "panelhost: unexpected argument '%s'\n\n", a.c_str());
            usage(stderr);
            return 2;
        }
    }
    if (command.empty()) command = "list";
    try {
        if (command == "list") return list(dir);
        std::fprintf(stderr, "panelhost: unknown command '%s'\n\n", command.c_str());
        usage(stderr);
        return 2;
    } catch (const std::exception &e) {
        std::fprintf(stderr, "panelhost: %s\n", e.what());
        return 1;
    }
}
