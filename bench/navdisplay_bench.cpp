// One frame of the navigation display through the host, at its worst: full
// nearby lists, 64 traffic, a 100-leg route and every label on. Measured
// with the host's text and picture services doing nothing (the plug-in's own
// work) and with them drawing (boxes of the display's picture sizes), next to
// the pixel work no frame can avoid: clearing the surface and three
// full-surface copies. The host's call log is off and the three services are
// replaced by unlogged ones, so that the host's bookkeeping stays out.
#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <stdlib.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <new>
#include <random>
#include <string>

#include "host/geo.h"
#include "host/host.h"
#include "render/primitives.h"
#include "archive/podlib.h"

// ---- allocations made by the plug-in's own code

namespace {

std::atomic<bool> g_counting{false};
std::atomic<long> g_plugin_allocations{0};

// The plug-in's operator new calls bind to this executable's definitions;
// the caller's address tells whether the plug-in asked.
void note_caller(void *caller) {
    if (!g_counting.load(std::memory_order_relaxed)) return;
    Dl_info info;
    if (dladdr(caller, &info) && info.dli_fname && std::strstr(info.dli_fname, "navdisplay.so"))
        g_plugin_allocations.fetch_add(1, std::memory_order_relaxed);
}

void *allocate(size_t n) {
    if (void *p = std::malloc(n ? n : 1)) return p;
    std::abort();  // the benchmarks never run out of memory
}

}  // namespace

// The replacements stay out of line: inlined into a caller, GCC 12 at -O3
// sees free() of a pointer from operator new (or operator delete of one from
// malloc) and warns falsely (-Wmismatched-new-delete).
[[gnu::noinline]] void *operator new(size_t n) {
    note_caller(__builtin_return_address(0));
    return allocate(n);
}
[[gnu::noinline]] void *operator new[](size_t n) {
    note_caller(__builtin_return_address(0));
    return allocate(n);
}
[[gnu::noinline]] void operator delete(void *p) noexcept { std::free(p); }
[[gnu::noinline]] void operator delete[](void *p) noexcept { std::free(p); }
[[gnu::noinline]] void operator delete(void *p, size_t) noexcept { std::free(p); }
[[gnu::noinline]] void operator delete[](void *p, size_t) noexcept { std::free(p); }

namespace {

namespace fs = std::filesystem;

// "AP12": appended, since GCC 12 at -O3 warns falsely (-Wrestrict) about
// "literal" + std::string temporaries.
std::string numbered(const char *prefix, int i) {
    std::string s = prefix;
    s += std::to_string(i);
    return s;
}
using panelhost::Host;

constexpr int kWidth = 206, kHeight = 330;
constexpr double kPi = panelhost::kPi;

// ---- pictures and fonts that draw: opaque boxes of the display's sizes

class BoxFont final : public assetcodecs::FontAsset {
public:
    void draw(const DrawSurface &s, int x, int y, uint32_t colour, std::string_view text, bool) const override {
        for (char ch : text) {
            // A 5 x 7 glyph whose columns follow the character's bits.
            for (int gy = 0; gy < 7; ++gy)
                for (int gx = 0; gx < 5; ++gx)
                    if ((uint8_t(ch) >> gx) & 1) put(s, x + gx, y + gy, colour);
            x += 6;
        }
    }
    static void put(const DrawSurface &s, int x, int y, uint32_t c) {
        if (x >= 0 && y >= 0 && x < s.width && y < s.height) s.pixels[size_t(y) * size_t(s.pitch) + size_t(x)] = c;
    }
};

class BoxBitmap final : public assetcodecs::BitmapAsset {
public:
    BoxBitmap(int w, int h, int frames) : w_(w), h_(h), frames_(frames), pixels_(size_t(w) * h) {
        // Every other pixel transparent (0), the rest a colour.
        for (int i = 0; i < w * h; ++i) pixels_[size_t(i)] = (i % 2) ? 0x406080u : 0u;
    }
    int frame_count() const override { return frames_; }
    int width() const override { return w_; }
    int height() const override { return h_; }
    void draw(const DrawSurface &s, int x, int y, int frame) const override {
        if (frame < 0 || frame >= frames_) return;
        for (int py = 0; py < h_; ++py) {
            const int sy = y + py;
            if (sy < 0 || sy >= s.height) continue;
            for (int px = 0; px < w_; ++px) {
                const int sx = x + px;
                const uint32_t c = pixels_[size_t(py) * size_t(w_) + size_t(px)];
                if (c != 0 && sx >= 0 && sx < s.width) s.pixels[size_t(sy) * size_t(s.pitch) + size_t(sx)] = c;
            }
        }
    }

private:
    int w_, h_, frames_;
    std::vector<uint32_t> pixels_;
};

class BoxLibrary final : public assetcodecs::AssetLibrary {
public:
    std::shared_ptr<const assetcodecs::FontAsset> font(const std::string &) override {
        return std::make_shared<BoxFont>();
    }
    std::shared_ptr<const assetcodecs::BitmapAsset> bitmap(const std::string &name) override {
        if (name == "nav_display_1.pbm") return std::make_shared<BoxBitmap>(206, 330, 1);
        if (name.find("ROSE") != std::string::npos) return std::make_shared<BoxBitmap>(258, 258, 90);
        if (name == "cadre_route.pbm") return std::make_shared<BoxBitmap>(32, 16, 1);
        if (name == "plane_symb.PBM") return std::make_shared<BoxBitmap>(14, 18, 1);
        if (name == "nd_zark_selector.pbg") return std::make_shared<BoxBitmap>(30, 32, 5);
        return std::make_shared<BoxBitmap>(14, 14, 1);  // the map symbols
    }
};

// ---- the text and picture services: doing nothing, or drawing unlogged

void idle_text(DrawSurface *, FontRecord *, int32_t, int32_t, uint32_t, const char *) {}
void idle_bitmap(DrawSurface *, BitmapRecord *, int32_t, int32_t, int32_t) {}
void drawn_text(DrawSurface *s, FontRecord *f, int32_t x, int32_t y, uint32_t c, const char *t) {
    Host::current().resources().font_draw(s, f, x, y, c, t, false);
}
void drawn_label(DrawSurface *s, FontRecord *f, int32_t x, int32_t y, uint32_t c, const char *t) {
    Host::current().resources().font_draw(s, f, x, y, c, t, true);
}
void drawn_bitmap(DrawSurface *s, BitmapRecord *b, int32_t x, int32_t y, int32_t frame) {
    Host::current().resources().bitmap_draw(s, b, x, y, frame);
}

// The bearing service answering from a table of the answers it has given:
// the aircraft stands still, so after the first frames every question has
// been asked before, and what is left of the frame is the plug-in's work.
class RememberedBearings {
public:
    static double *answer(double out[3], const GeoPosition *from, const GeoPosition *to) {
        Slot *slot = find(*from, *to);
        if (!slot->used) {
            *slot = Slot{true, *from, *to, {}};
            panelhost::position_vector(*from, *to, slot->vector);
        }
        std::memcpy(out, slot->vector, sizeof slot->vector);
        return out;
    }

private:
    struct Slot {
        bool used;
        GeoPosition from, to;
        double vector[3];
    };
    static constexpr size_t kSlots = 4096;  // well over the points of a frame
    static bool same(const GeoPosition &a, const GeoPosition &b) { return std::memcmp(&a, &b, sizeof a) == 0; }
    static Slot *find(const GeoPosition &from, const GeoPosition &to) {
        static std::vector<Slot> slots(kSlots);
        uint64_t bits[2];
        std::memcpy(&bits[0], &to.latitude, 8);
        std::memcpy(&bits[1], &to.longitude, 8);
        size_t i = size_t((bits[0] * 0x9E3779B97F4A7C15ull ^ bits[1]) * 0xC4CEB9FE1A85EC53ull >> 52);
        for (;; i = (i + 1) % kSlots) {
            Slot &s = slots[i];
            if (!s.used || (same(s.from, from) && same(s.to, to))) return &s;
        }
    }
};

template <class Fn>
HostEntry entry(Fn fn) {
    return reinterpret_cast<HostEntry>(fn);
}

// ---- the world at its fullest

class Scene {
public:
    explicit Scene(bool drawing, bool remembered_bearings = false) {
        char pattern[] = "/tmp/navdisplay_bench.XXXXXX";
        folder_ = mkdtemp(pattern);
        previous_ = fs::current_path();
        fs::create_directories(folder_ + "/system");
        fs::create_directories(folder_ + "/saved simulations");
        fs::current_path(folder_);
        write_archives();
        write_plan();

        panelhost::HostOptions options{folder_};
        if (drawing) options.assets = std::make_shared<BoxLibrary>();
        host_ = std::make_unique<Host>(options);
        host_->log().enabled = false;
        HostEntry *services = host_->services();
        services[kEntryFontDrawText] = drawing ? entry(&drawn_text) : entry(&idle_text);
        services[kEntryFontDrawLabel] = drawing ? entry(&drawn_label) : entry(&idle_text);
        services[kEntryBitmapDraw] = drawing ? entry(&drawn_bitmap) : entry(&idle_bitmap);
        if (remembered_bearings) services[kEntryPositionVector] = entry(&RememberedBearings::answer);
        fill_world();
        host_->bus().set(fourcc("elec"), fourcc("bus1"), panelhost::BusValue::real(1.0));
        host_->bus().set(fourcc("nav1"), fourcc("obs_"), panelhost::BusValue::integer(30));
        panelhost::Plugin &p = host_->load(PLUGIN_navdisplay);
        p.global_start();
        display_ = host_->instantiate(p);
        display_->init();
        display_->read_definition(panelhost::parse_definition(
            "mes1 {target=elec data=bus1 type=real}\nmes2 {target=nav1 data=obs_ type=int}\nauto 4\n", "bench"));
        // Every label: airports ID + BRG, VOR and NDB FREQ + BRG, waypoints
        // ID + BRG, traffic, route.
        const int clicks[][2] = {{14, 3}, {42, 3}, {74, 3}, {105, 3}, {137, 1}, {170, 1}};
        for (const auto &c : clicks)
            for (int i = 0; i < c[1]; ++i) display_->mouse(surface, c[0], 300, 1);
        // The first frames read the plan and fill every list.
        host_->frame_seconds = 5.01f;
        frame();
        host_->frame_seconds = 1.0f / 30.0f;
    }
    ~Scene() {
        host_.reset();
        fs::current_path(previous_);
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }
    bool frame() { return display_->draw(surface).presented; }

    panelhost::Surface surface{kWidth, kHeight};

private:
    // A point `px` map pixels from the aircraft at 1800 feet per pixel, on a
    // bearing within 50 degrees of the nose: inside the symbol window.
    GeoPosition in_view(std::mt19937 &rng, double altitude = 0.0) {
        std::uniform_real_distribution<double> bearing(-50.0, 50.0), px(20.0, 95.0);
        GeoPosition p = panelhost::move_along(home_, bearing(rng) * kPi / 180.0, px(rng) * 1800.0);
        p.altitude = altitude;
        return p;
    }

    void write_archives() {
        std::vector<podlib::Record> airports, navaids, waypoints;
        for (int i = 0; i < 50; ++i) {
            airports.push_back({numbered("AP", i), numbered("A", i), "Airport", -2.0});
            navaids.push_back({numbered("NV", i), numbered("N", i), "Navaid", -3.0});
            waypoints.push_back({numbered("WP", i), numbered("W", i), "Point", -1.0});
        }
        const std::pair<podlib::Table, std::vector<podlib::Record> *> tables[] = {
            {podlib::Table::airports, &airports}, {podlib::Table::navaids, &navaids}, {podlib::Table::waypoints, &waypoints}};
        for (const auto &[t, records] : tables) {
            const auto &info = podlib::table_info(t);
            std::string path = folder_ + "/system/";
            path += info.archive_file;
            podlib::write_archive(path,
                                  {podlib::Entry{std::string(info.entry_path), podlib::encode_table(t, *records)}});
        }
    }

    void write_plan() {
        std::mt19937 rng(7);
        std::ofstream out(folder_ + "/saved simulations/zark_fpl.sit");
        const char *kinds[] = {"sarw", "snav", "wywy", "usrw"};
        const char *keys[] = {"AP", "NV", "WP", ""};
        for (int i = 0; i < 100; ++i) {
            const GeoPosition p = in_view(rng, 5000.0);
            const int k = i % 4;
            out << "<wpnt>\n" << kinds[k] << "\n<llps>\n" << std::to_string(p.latitude) << ','
                << std::to_string(p.longitude) << ",5000\n<name>\n LEG" << i << "\n";
            if (k != 3) out << "<dbky>\n" << keys[k] << (i % 50) << "\n";
            out << "<endo>\n";
        }
    }

    void fill_world() {
        std::mt19937 rng(11);
        host_->world().user().position = home_;
        host_->world().user().heading_deg = 12.5f;
        host_->world().user().map_heading_deg = 12.5f;
        host_->world().user().ground_speed_fps = 250.0f;
        for (int i = 0; i < 256; ++i) {
            const GeoPosition p = in_view(rng);
            host_->world().nearby_airports.push_back({numbered("S", i), numbered("AP", i), p.latitude, p.longitude});
        }
        for (int i = 0; i < 128; ++i) {
            const GeoPosition p = in_view(rng);
            const bool ndb = i % 2;
            host_->world().nearby_navaids.push_back({numbered("N", i), ndb ? hostlist::navaid::kNdb : hostlist::navaid::kVor,
                                                     p.latitude, p.longitude, ndb ? 375.0f : 113.9f});
        }
        for (int i = 0; i < 256; ++i) {
            const GeoPosition p = in_view(rng);
            host_->world().nearby_points.push_back({numbered("W", i), 0, p.latitude, p.longitude});
        }
        for (int i = 0; i < 64; ++i) {
            panelhost::SimObject o;
            o.position = in_view(rng, 3000.0 + 150.0 * (i - 32));
            host_->world().add_traffic(o);
        }
    }

    std::string folder_;
    fs::path previous_;
    GeoPosition home_ = panelhost::from_degrees(44.0, -12.0, 3000.0);
    std::unique_ptr<Host> host_;
    panelhost::Instance *display_ = nullptr;
};

// Frames counted for allocations before the timing: more than 5 seconds of
// them, so that every list and the leg are refreshed on the way.
constexpr int kCountedFrames = 200;

void run_frames(benchmark::State &state, bool drawing, bool remembered_bearings = false) {
    Scene scene(drawing, remembered_bearings);
    g_plugin_allocations = 0;
    g_counting = true;
    for (int i = 0; i < kCountedFrames; ++i) scene.frame();
    g_counting = false;
    state.counters["plugin_allocs_per_frame"] = double(g_plugin_allocations.load()) / kCountedFrames;
    for (auto _ : state) {
        benchmark::DoNotOptimize(scene.frame());
        benchmark::ClobberMemory();
    }
}

void BM_FrameHostServicesIdle(benchmark::State &state) { run_frames(state, false); }
BENCHMARK(BM_FrameHostServicesIdle)->Unit(benchmark::kMicrosecond);

// The same frame with the bearing service too out of the way: the plug-in's
// own work alone.
void BM_FramePluginOnly(benchmark::State &state) { run_frames(state, false, true); }
BENCHMARK(BM_FramePluginOnly)->Unit(benchmark::kMicrosecond);

void BM_FrameHostServicesDrawing(benchmark::State &state) { run_frames(state, true); }
BENCHMARK(BM_FrameHostServicesDrawing)->Unit(benchmark::kMicrosecond);

// The host's share of a full frame: its bearing-and-distance service, asked
// once per placed point (256 airports, 128 navaids, 256 waypoints, 64
// traffic, 2 x 99 route points and the leg), as the page asks it.
constexpr int kPlacementsPerFrame = 256 + 128 + 256 + 64 + 2 * 99 + 1;

void BM_HostBearingService(benchmark::State &state) {
    Host host;
    host.log().enabled = false;
    using PositionVector = double *(*)(double[3], const GeoPosition *, const GeoPosition *);
    const auto service = reinterpret_cast<PositionVector>(host.services()[kEntryPositionVector]);
    const GeoPosition home = panelhost::from_degrees(44.0, -12.0, 3000.0);
    std::mt19937 rng(5);
    std::uniform_real_distribution<double> bearing(-50.0, 50.0), px(20.0, 95.0);
    std::vector<GeoPosition> targets;
    for (int i = 0; i < kPlacementsPerFrame; ++i)
        targets.push_back(panelhost::move_along(home, bearing(rng) * kPi / 180.0, px(rng) * 1800.0));
    double out[3];
    for (auto _ : state) {
        for (const GeoPosition &t : targets) benchmark::DoNotOptimize(service(out, &home, &t));
    }
}
BENCHMARK(BM_HostBearingService)->Unit(benchmark::kMicrosecond);

// The floor: clear the display's surface, then copy it whole three times.
void BM_UnavoidablePixelWork(benchmark::State &state) {
    std::vector<uint32_t> a(size_t(kWidth) * kHeight), b(a.size()), c(a.size());
    DrawSurface s{a.data(), kWidth, kHeight, kWidth};
    const size_t bytes = a.size() * sizeof(uint32_t);
    for (auto _ : state) {
        render::surface_clear(&s);
        std::memcpy(b.data(), a.data(), bytes);
        std::memcpy(c.data(), b.data(), bytes);
        std::memcpy(a.data(), c.data(), bytes);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_UnavoidablePixelWork)->Unit(benchmark::kMicrosecond);

}  // namespace
