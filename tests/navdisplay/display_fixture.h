// A navigation display loaded into the project's host, in a scratch working
// folder that holds its archives and saved flight plan.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "host/geo.h"
#include "host/host.h"
#include "archive/podlib.h"

namespace navdisplay_test {

using panelhost::BusValue;

constexpr int kWidth = 206, kHeight = 330;
constexpr double kFeetPerNm = 6070.0;

// Colours as the page draws them.
constexpr uint32_t kWhite = 0xffffff, kGrey = 0x7f7f7f, kYellow = 0xffff00, kDarkGreen = 0x006400,
                   kBrightGreen = 0x14fa00, kDarkRed = 0x960000, kBlue = 0x006699, kMagenta = 0xff00ff,
                   kNearBlack = 0x0a0a0a, kOrange = 0xd65900, kAirportLabel = 0x00c8ff;

// A definition with power, course and the given zoom tag.
std::string definition(const std::string &zoom_tag = "auto 1\n");

// Text of a saved flight plan, block by block.
class PlanText {
public:
    PlanText &airport(const GeoPosition &p, const std::string &key);
    PlanText &navaid(const GeoPosition &p, const std::string &key);
    PlanText &waypoint(const GeoPosition &p, const std::string &key);
    PlanText &user(const GeoPosition &p, const std::string &name);
    PlanText &raw(const std::string &text);
    const std::string &text() const { return text_; }

private:
    PlanText &block(const char *kind, const GeoPosition &p, const std::string &name, const std::string &key);
    std::string text_;
};

class DisplayTest : public ::testing::Test {
protected:
    DisplayTest();
    ~DisplayTest() override;

    // Plug-in, on_global_start, one instance with its definition, power on.
    // The host is made with the fixture (and again here once reset).
    void start(const std::string &definition_text = definition());
    // A second instance of the same plug-in.
    panelhost::Instance *add_instance(const std::string &definition_text);

    void write_tables(const std::vector<podlib::Record> &airports, const std::vector<podlib::Record> &navaids,
                      const std::vector<podlib::Record> &waypoints);
    void write_plan(const std::string &text);

    // One frame of the first instance; true when it presented the surface.
    bool draw();
    // Draws frames of `seconds` each until one passes the 5-second refreshes.
    bool draw_refreshed();
    void click(int x, int y, uint32_t buttons = 1);

    panelhost::World &world() { return host->world(); }
    panelhost::SimObject &user() { return host->world().user(); }
    // A position `feet` from the aircraft on the true bearing `degrees`.
    GeoPosition ahead(double degrees, double feet, double altitude = 0.0) const;

    std::vector<std::string> calls(int entry) const { return host->log().of(entry); }
    bool called(int entry, const std::string &text) const;
    size_t count(int entry, const std::string &text) const;
    uint32_t pixel(int x, int y) const { return surface.at(x, y); }

    std::string folder;
    std::unique_ptr<panelhost::Host> host;
    panelhost::Plugin *plugin = nullptr;
    panelhost::Instance *display = nullptr;
    panelhost::Surface surface{kWidth, kHeight};
    GeoPosition home = panelhost::from_degrees(44.0, -12.0, 3000.0);

private:
    std::string previous_folder_;
};

}  // namespace navdisplay_test
