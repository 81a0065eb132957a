#include "tests/navdisplay/display_fixture.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "tests/scratch_folder.h"

namespace navdisplay_test {

namespace fs = std::filesystem;

std::string definition(const std::string &zoom_tag) {
    return "mes1 {target=elec data=bus1 type=real}\n"
           "mes2 {target=nav1 data=obs_ type=int}\n" +
           zoom_tag;
}

PlanText &PlanText::block(const char *kind, const GeoPosition &p, const std::string &name,
                          const std::string &key) {
    char position[128];
    std::snprintf(position, sizeof position, "%.6f,%.6f,%.1f\n", p.latitude, p.longitude, p.altitude);
    text_ += "<wpnt>\n";
    text_ += kind;
    text_ += "\n<llps>\n";
    text_ += position;
    text_ += "<name>\n  " + name + "\n";
    if (!key.empty()) text_ += "<dbky>\n " + key + "\n";
    text_ += "<endo>\n";
    return *this;
}

PlanText &PlanText::airport(const GeoPosition &p, const std::string &key) { return block("sarw", p, key, key); }
PlanText &PlanText::navaid(const GeoPosition &p, const std::string &key) { return block("snav", p, key, key); }
PlanText &PlanText::waypoint(const GeoPosition &p, const std::string &key) { return block("wywy", p, key, key); }
PlanText &PlanText::user(const GeoPosition &p, const std::string &name) { return block("usrw", p, name, ""); }
PlanText &PlanText::raw(const std::string &text) {
    text_ += text;
    return *this;
}

DisplayTest::DisplayTest() {
    folder = suite_test::make_scratch_folder("navdisplay_test").string();
    previous_folder_ = fs::current_path().string();
    fs::create_directories(folder + "/system");
    fs::create_directories(folder + "/saved simulations");
    fs::current_path(folder);
    host = std::make_unique<panelhost::Host>(panelhost::HostOptions{folder});
}

DisplayTest::~DisplayTest() {
    host.reset();
    fs::current_path(previous_folder_);
    std::error_code ignored;
    fs::remove_all(folder, ignored);
}

void DisplayTest::write_tables(const std::vector<podlib::Record> &airports,
                               const std::vector<podlib::Record> &navaids,
                               const std::vector<podlib::Record> &waypoints) {
    const std::pair<podlib::Table, const std::vector<podlib::Record> *> tables[] = {
        {podlib::Table::airports, &airports}, {podlib::Table::navaids, &navaids}, {podlib::Table::waypoints, &waypoints}};
    for (const auto &[table, records] : tables) {
        const auto &info = podlib::table_info(table);
        podlib::write_archive(folder + "/system/" + std::string(info.archive_file),
                              {podlib::Entry{std::string(info.entry_path), podlib::encode_table(table, *records)}});
    }
}

void DisplayTest::write_plan(const std::string &text) {
    std::ofstream(folder + "/saved simulations/zark_fpl.sit", std::ios::binary) << text;
}

void DisplayTest::start(const std::string &definition_text) {
    if (!host) host = std::make_unique<panelhost::Host>(panelhost::HostOptions{folder});
    user().position = home;
    host->bus().set(fourcc("elec"), fourcc("bus1"), BusValue::real(1.0));
    plugin = &host->load(PLUGIN_navdisplay);
    plugin->global_start();
    display = add_instance(definition_text);
}

panelhost::Instance *DisplayTest::add_instance(const std::string &definition_text) {
    panelhost::Instance *i = host->instantiate(*plugin);
    if (i == nullptr) throw std::runtime_error("no display instance");
    i->init();
    i->read_definition(panelhost::parse_definition(definition_text, "display.def"));
    return i;
}

bool DisplayTest::draw() { return display->draw(surface).presented; }

bool DisplayTest::draw_refreshed() {
    const float saved = host->frame_seconds;
    host->frame_seconds = 5.01f;
    const bool drawn = draw();
    host->frame_seconds = saved;
    return drawn;
}

void DisplayTest::click(int x, int y, uint32_t buttons) { display->mouse(surface, x, y, buttons); }

GeoPosition DisplayTest::ahead(double degrees, double feet, double altitude) const {
    GeoPosition p;
    if (degrees == 0.0 || degrees == 180.0) {
        // On the aircraft's own meridian, so that the host's bearing is exactly 0 or 180.
        const double arcsec = feet / panelhost::kEarthRadiusFeet * 180.0 / panelhost::kPi * 3600.0;
        p = {home.latitude + (degrees == 0.0 ? arcsec : -arcsec), home.longitude, 0.0};
    } else {
        p = panelhost::move_along(home, degrees * panelhost::kPi / 180.0, feet);
    }
    p.altitude = altitude;
    return p;
}

bool DisplayTest::called(int entry, const std::string &text) const { return count(entry, text) > 0; }

size_t DisplayTest::count(int entry, const std::string &text) const {
    const auto texts = calls(entry);
    return size_t(std::count(texts.begin(), texts.end(), text));
}

}  // namespace navdisplay_test
