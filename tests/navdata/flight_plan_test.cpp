#include <gtest/gtest.h>

#include <cstring>

#include "navdata/angle.h"
#include "navdata/navdata.h"
#include "tests/navdata/fake_host.h"

using navdata::FlightPlanLeg;
using podlib::Record;
using podlib::Table;

namespace {

Record rec(std::string key, std::string ident, double variation) {
    Record r;
    r.key = std::move(key);
    r.identifier = std::move(ident);
    r.name = std::string("x");  // assigning the literal: a false -Wrestrict of GCC 12 at -O3
    r.variation = variation;
    return r;
}

class FlightPlan : public ::testing::Test {
protected:
    void SetUp() override {
        folder_.write_table(Table::airports, {rec("AP1", "XAB", -3.25), rec("AP2", "XCD", 4.0)});
        folder_.write_table(Table::navaids, {rec("NV1", "OST", 2.75), rec("NV2", "VLM", 1.0)});
        folder_.write_table(Table::waypoints, {rec("WP1", "FODAK", -0.125)});
        ASSERT_EQ(nav_.load_airports() + nav_.load_navaids() + nav_.load_waypoints(), 3);
        fake_host::use_fixed_vector(0.5, 12140.0);
    }
    bool read(const std::string &text) {
        folder_.write("saved simulations/zark_fpl.sit", text);
        return nav_.read_flight_plan();
    }
    const FlightPlanLeg &leg(size_t i) { return *nav_.working_leg(i); }

    WorkingFolder folder_;
    navdata::NavData nav_;
};

// A block of the given kind line and body lines, ended by <endo>.
std::string block(const std::string &kind, const std::string &body) {
    return "<wpnt>\n" + kind + "\n" + body + "<endo>\n";
}
std::string pos(double lat, double lon, double alt) {
    return "<llps>\n" + std::to_string(lat) + "," + std::to_string(lon) + "," + std::to_string(alt) + "\n";
}

const float kCourse = float(0.5 / 0.017453292519943295);

}  // namespace

TEST_F(FlightPlan, ReadsEveryKindWithItsFields) {
    const std::string plan = "header line\n" +
                             block("sarw", pos(1, 2, 3) + "<name>\n  Port Ostra\n<dbky>\nAP2\n") + "between\n" +
                             block("snav", "<name>\nOstra\n" + pos(4, 5, 6) + "<dbky>\n NV1\n") +
                             block("wywy", "<dbky>\nWP1\n<name>\nFODAK\n" + pos(7, 8, 9)) +
                             block("usrw", "<name>\nMY POINT\n<dbky>\nAP1\n" + pos(10, 11, 12));
    ASSERT_TRUE(read(plan));
    ASSERT_EQ(nav_.working_leg_count(), 4u);
    ASSERT_EQ(nav_.published_leg_count(), 4u);
    EXPECT_EQ(nav_.working_leg(4), nullptr);
    EXPECT_EQ(nav_.published_leg(4), nullptr);

    EXPECT_EQ(leg(0).kind, navdata::kLegAirport);
    EXPECT_EQ(leg(0).position.latitude, 1.0);
    EXPECT_EQ(leg(0).position.longitude, 2.0);
    EXPECT_EQ(leg(0).position.altitude, 3.0);
    EXPECT_STREQ(leg(0).airport_name, "Port Ostra");
    EXPECT_STREQ(leg(0).name, "");
    EXPECT_STREQ(leg(0).airport_key, "AP2");
    EXPECT_STREQ(leg(0).airport_identifier, "XCD");
    EXPECT_EQ(leg(0).variation, 4.0f);
    EXPECT_EQ(leg(0).course_from_previous, 0.0f);
    EXPECT_EQ(leg(0).distance_from_previous, 0.0f);

    EXPECT_EQ(leg(1).kind, navdata::kLegNavaid);
    EXPECT_STREQ(leg(1).name, "Ostra");
    EXPECT_STREQ(leg(1).navaid_identifier, "OST");
    EXPECT_EQ(leg(1).variation, 2.75f);
    EXPECT_EQ(leg(1).course_from_previous, kCourse);
    EXPECT_EQ(leg(1).distance_from_previous, 2.0f);

    EXPECT_EQ(leg(2).kind, navdata::kLegWaypoint);
    EXPECT_STREQ(leg(2).name, "FODAK");
    EXPECT_EQ(leg(2).variation, -0.125f);
    EXPECT_EQ(leg(2).position.altitude, 9.0);

    // A user waypoint ignores its key and has no variation.
    EXPECT_EQ(leg(3).kind, navdata::kLegUserWaypoint);
    EXPECT_STREQ(leg(3).name, "MY POINT");
    EXPECT_STREQ(leg(3).airport_key, "");
    EXPECT_EQ(leg(3).variation, 0.0f);
    EXPECT_EQ(fake_host::last_from().latitude, 7.0);
    EXPECT_EQ(fake_host::last_to().latitude, 10.0);
    EXPECT_EQ(0, std::memcmp(nav_.published_leg(3), nav_.working_leg(3), sizeof(FlightPlanLeg)));
}

TEST_F(FlightPlan, MissingFileAndFailedReadsKeepThePublishedList) {
    ASSERT_TRUE(read(block("sarw", "<dbky>\nAP1\n")));
    ASSERT_EQ(nav_.published_leg_count(), 1u);

    std::filesystem::remove(folder_.path() / "saved simulations/zark_fpl.sit");
    EXPECT_FALSE(nav_.read_flight_plan());
    EXPECT_EQ(nav_.working_leg_count(), 0u);
    EXPECT_EQ(nav_.published_leg_count(), 1u);

    // Each failure stops at once; the legs before it stay in the working list.
    const std::string one = block("wywy", "<dbky>\nWP1\n");
    for (const std::string &bad : {one + "<wpnt>\n", one + "<wpnt>\nnone of them\n<endo>\n",
                                   one + "<wpnt>\nsnav\n<llps>\n", one + "<wpnt>\nsnav\n<name>\n",
                                   one + "<wpnt>\nsnav\n<dbky>\n"}) {
        EXPECT_FALSE(read(bad)) << bad;
        EXPECT_EQ(nav_.working_leg_count(), 1u);
        EXPECT_EQ(nav_.published_leg_count(), 1u);
        EXPECT_EQ(nav_.published_leg(0)->kind, navdata::kLegAirport);
    }
}

TEST_F(FlightPlan, FrenchFolderNameIsTheFallback) {
    std::filesystem::create_directories(folder_.path() / "simulations sauv\xE9" "es");
    folder_.write("simulations sauv\xE9" "es/zark_fpl.sit", block("usrw", ""));
    ASSERT_TRUE(nav_.read_flight_plan());
    EXPECT_EQ(nav_.working_leg_count(), 1u);
    // The English name wins when both are there.
    ASSERT_TRUE(read(block("usrw", "") + block("usrw", "")));
    EXPECT_EQ(nav_.working_leg_count(), 2u);
}

TEST_F(FlightPlan, FilesWithoutBlocks) {
    EXPECT_TRUE(read(""));
    EXPECT_EQ(nav_.working_leg_count(), 0u);
    EXPECT_EQ(nav_.published_leg_count(), 0u);
    EXPECT_TRUE(read("<WPNT>\nsarw\n<endo>\n<wpnT>\n"));  // tags are case-sensitive
    EXPECT_EQ(nav_.working_leg_count(), 0u);
}

TEST_F(FlightPlan, BlockEndsAtEndOfFileAndSwallowsTheNextWithoutEndo) {
    ASSERT_TRUE(read("<wpnt>\nsnav\n<dbky>\nNV1\n"));
    ASSERT_EQ(nav_.working_leg_count(), 1u);
    EXPECT_STREQ(leg(0).navaid_identifier, "OST");

    ASSERT_TRUE(read("<wpnt>\nsarw\n<dbky>\nAP1\n<name>\nFirst\n" + block("snav", "<dbky>\nAP2\n<name>\nSecond\n")));
    ASSERT_EQ(nav_.working_leg_count(), 1u);
    EXPECT_EQ(leg(0).kind, navdata::kLegAirport);
    EXPECT_STREQ(leg(0).airport_name, "Second");
    EXPECT_STREQ(leg(0).airport_identifier, "XCD");
}

TEST_F(FlightPlan, CourseAndDistanceFromThePreviousPositionRead) {
    // Block 2 has no position: block 3 measures from block 1.
    ASSERT_TRUE(read(block("usrw", pos(1, 1, 0)) + block("usrw", "") + block("usrw", pos(3, 3, 0))));
    EXPECT_EQ(leg(1).course_from_previous, 0.0f);
    EXPECT_EQ(leg(2).course_from_previous, kCourse);
    EXPECT_EQ(fake_host::last_from().latitude, 1.0);
    EXPECT_EQ(fake_host::vector_calls(), 1);

    // Two positions in one block: the second stays, measured from the first.
    ASSERT_TRUE(read(block("usrw", pos(1, 1, 0)) + block("usrw", pos(2, 2, 0) + pos(5, 5, 0))));
    EXPECT_EQ(leg(1).position.latitude, 5.0);
    EXPECT_EQ(fake_host::last_from().latitude, 2.0);
    EXPECT_EQ(fake_host::last_to().latitude, 5.0);
    EXPECT_EQ(leg(1).distance_from_previous, 2.0f);
}

TEST_F(FlightPlan, NoMeasureWithoutAnEarlierPositionInThisRead) {
    ASSERT_TRUE(read(block("usrw", pos(1, 1, 0))));
    const int calls = fake_host::vector_calls();
    // The first leg has no position: the second has nothing to measure from,
    // not even the position of the previous read.
    ASSERT_TRUE(read(block("usrw", "") + block("usrw", pos(3, 3, 0)) + block("usrw", pos(4, 4, 0))));
    EXPECT_EQ(leg(1).course_from_previous, 0.0f);
    EXPECT_EQ(leg(1).distance_from_previous, 0.0f);
    EXPECT_EQ(leg(2).distance_from_previous, 2.0f);
    EXPECT_EQ(fake_host::vector_calls(), calls + 1);
}

TEST_F(FlightPlan, KindLineOrderAndKeyBuffersSharedWithinARead) {
    ASSERT_TRUE(read(block("usrw sarw", "<dbky>\nAP1\n") + block("snav", "<dbky>\nNV2\n") + block("snav", "") +
                     block("wywy", "<dbky>\nWP1\n") + block("wywy", "")));
    EXPECT_EQ(leg(0).kind, navdata::kLegAirport);
    EXPECT_STREQ(leg(2).navaid_identifier, "VLM");
    EXPECT_EQ(leg(2).variation, 1.0f);
    EXPECT_EQ(leg(4).variation, -0.125f);
    // A new read starts with empty keys.
    ASSERT_TRUE(read(block("snav", "")));
    EXPECT_STREQ(leg(0).navaid_identifier, "");
    EXPECT_EQ(leg(0).variation, 0.0f);
}

TEST_F(FlightPlan, UnknownKeysGiveZeroAndEmptyIdentifiers) {
    ASSERT_TRUE(read(block("sarw", "<dbky>\nap1\n") + block("snav", "<dbky>\nNV9\n") + block("wywy", "<dbky>\nWP\n")));
    EXPECT_STREQ(leg(0).airport_identifier, "");
    EXPECT_EQ(leg(0).variation, 0.0f);
    EXPECT_STREQ(leg(1).navaid_identifier, "");
    EXPECT_EQ(leg(2).variation, 0.0f);
}

TEST_F(FlightPlan, ValueExtraction) {
    ASSERT_TRUE(read(block("usrw", "<name>\n  -- Oak Ridge  \n") + block("usrw", "<name>\r\n--- \r\n") +
                     block("usrw", "<name>\r\n*9 Lives\r\n") + block("sarw", "<name>\n\xE9t\xE9 Field\n")));
    EXPECT_STREQ(leg(0).name, "Oak Ridge  ");
    EXPECT_STREQ(leg(1).name, "");
    EXPECT_STREQ(leg(2).name, "9 Lives");
    EXPECT_STREQ(leg(3).airport_name, "t\xE9 Field");  // code page letters are not ASCII letters
}

TEST_F(FlightPlan, LongValuesAreCutToTheirFields) {
    const std::string long_name(300, 'N'), key15 = "AP1" + std::string(12, 'Z'), key12 = "NV1" + std::string(9, 'Z');
    ASSERT_TRUE(read(block("sarw", "<name>\n" + long_name + "\n<dbky>\n" + key15 + "\n") +
                     block("snav", "<name>\n" + long_name + "\n<dbky>\n" + key12 + "\n") +
                     block("wywy", "<dbky>\nWP1" + std::string(20, 'Q') + "\n")));
    EXPECT_EQ(std::string(leg(0).airport_name), std::string(31, 'N'));
    EXPECT_EQ(std::string(leg(0).airport_key), key15.substr(0, 14));
    EXPECT_STREQ(leg(0).airport_identifier, "");  // a cut key matches nothing
    EXPECT_EQ(std::string(leg(1).name), std::string(31, 'N'));
    EXPECT_STREQ(leg(1).navaid_identifier, "");
    EXPECT_EQ(leg(2).variation, 0.0f);
}

TEST_F(FlightPlan, LongLinesAreReadInPieces) {
    // The 511 characters before "<wpnt>" are a line of their own: the tag starts a block.
    ASSERT_TRUE(read(std::string(511, 'x') + "<wpnt>\nsarw\n<dbky>\nAP1\n<endo>\n"));
    ASSERT_EQ(nav_.working_leg_count(), 1u);
    EXPECT_STREQ(leg(0).airport_identifier, "XAB");
    // A tag cut across two pieces is found in neither.
    ASSERT_TRUE(read(std::string(508, 'x') + "<wpnt>\nsarw\n<endo>\n"));
    EXPECT_EQ(nav_.working_leg_count(), 0u);
}

TEST_F(FlightPlan, PositionPieces) {
    ASSERT_TRUE(read(block("usrw", "<llps>\n,,12.5,,-3e2,7,99\n") + block("usrw", "<llps>\n4.25\n") +
                     block("usrw", "<llps>\nabc,2,\n") + block("usrw", "<llps>\n\n")));
    EXPECT_EQ(leg(0).position.latitude, 12.5);
    EXPECT_EQ(leg(0).position.longitude, -300.0);
    EXPECT_EQ(leg(0).position.altitude, 7.0);
    EXPECT_EQ(leg(1).position.latitude, 4.25);
    EXPECT_EQ(leg(1).position.longitude, 0.0);
    EXPECT_EQ(leg(1).position.altitude, 0.0);
    EXPECT_EQ(leg(2).position.latitude, 0.0);
    EXPECT_EQ(leg(2).position.longitude, 2.0);
    EXPECT_EQ(leg(3).position.latitude, 0.0);
    EXPECT_EQ(leg(3).distance_from_previous, 2.0f);
}
