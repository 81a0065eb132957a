#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "navdata/navdata.h"
#include "tests/navdata/fake_host.h"

using podlib::Record;
using podlib::Table;

namespace {

// "K12": appended, since GCC 12 at -O3 warns falsely (-Wrestrict) about
// "literal" + std::string temporaries.
std::string numbered(const char *prefix, int i) {
    std::string s = prefix;
    s += std::to_string(i);
    return s;
}

Record rec(std::string key, std::string ident, std::string name, double variation) {
    Record r;
    r.key = std::move(key);
    r.identifier = std::move(ident);
    r.name = std::move(name);
    r.variation = variation;
    r.latitude = 44.5;
    r.longitude = -12.25;
    r.elevation = 120.0;
    r.frequency = 113.9;
    return r;
}

void put_u32(std::vector<uint8_t> &b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + size_t(i)] = uint8_t(v >> (8 * i));
}

class Tables : public ::testing::Test {
protected:
    WorkingFolder folder_;
    navdata::NavData nav_;
};

}  // namespace

TEST_F(Tables, LoadEveryFieldTheReaderUses) {
    folder_.write_table(Table::airports, {rec("AP1", "XAB", std::string(39, 'n'), -3.25), rec("AP2", "XCD", "Two", 1.5)});
    folder_.write_table(Table::navaids, {rec("NV123456", "OST", "Ostra", 2.75)});
    folder_.write_table(Table::waypoints, {rec("WP000000A", "FODAK", std::string(25, 'w'), -0.125)});
    ASSERT_EQ(nav_.load_airports(), 1);
    ASSERT_EQ(nav_.load_navaids(), 1);
    ASSERT_EQ(nav_.load_waypoints(), 1);

    ASSERT_EQ(nav_.airports().size(), 2u);
    EXPECT_STREQ(nav_.airports()[0].key, "AP1");
    EXPECT_STREQ(nav_.airports()[0].identifier, "XAB");
    EXPECT_EQ(std::string(nav_.airports()[0].name), std::string(39, 'n'));
    EXPECT_EQ(nav_.airports()[0].variation, -3.25);
    EXPECT_STREQ(nav_.airports()[1].name, "Two");
    ASSERT_EQ(nav_.navaids().size(), 1u);
    EXPECT_STREQ(nav_.navaids()[0].key, "NV123456");
    EXPECT_STREQ(nav_.navaids()[0].identifier, "OST");
    EXPECT_STREQ(nav_.navaids()[0].name, "Ostra");
    EXPECT_EQ(nav_.navaids()[0].variation, 2.75);
    ASSERT_EQ(nav_.waypoints().size(), 1u);
    EXPECT_STREQ(nav_.waypoints()[0].key, "WP000000A");
    EXPECT_EQ(std::string(nav_.waypoints()[0].name), std::string(25, 'w'));
    EXPECT_EQ(nav_.waypoints()[0].variation, -0.125);

    char id[5] = "----";
    EXPECT_EQ(nav_.airport_by_key("AP2", id), 1.5);
    EXPECT_STREQ(id, "XCD");
    EXPECT_EQ(nav_.navaid_by_key("NV123456", id), 2.75);
    EXPECT_STREQ(id, "OST");
    EXPECT_EQ(nav_.waypoint_by_key("WP000000A"), -0.125);
}

TEST_F(Tables, LookupsMatchWholeKeysCaseSensitiveFirstInFileOrder) {
    podlib::Entry e{"DATABASE\\AIRPVARMAG.DBD", podlib::encode_table(Table::airports, {rec("KEY", "ONE", "a", 1.0), rec("key", "TWO", "b", 2.0), rec("KEY", "THR", "c", 3.0), rec("KEY1", "FOU", "d", 4.0)})};
    podlib::write_archive("system/airpvarmag.pod", {e});
    ASSERT_EQ(nav_.load_airports(), 1);
    ASSERT_EQ(nav_.airports().size(), 4u);
    char id[5] = "xxxx";
    EXPECT_EQ(nav_.airport_by_key("KEY", id), 1.0);
    EXPECT_STREQ(id, "ONE");
    EXPECT_EQ(nav_.airport_by_key("key", id), 2.0);
    EXPECT_EQ(nav_.airport_by_key("KEY1", id), 4.0);
    std::strcpy(id, "xxxx");
    EXPECT_EQ(nav_.airport_by_key("Key", id), 0.0);
    EXPECT_EQ(nav_.airport_by_key("KE", id), 0.0);
    EXPECT_EQ(nav_.airport_by_key("KEY ", id), 0.0);
    EXPECT_EQ(nav_.airport_by_key("", id), 0.0);
    EXPECT_EQ(nav_.airport_by_key("KEY123456789012", id), 0.0);
    EXPECT_STREQ(id, "xxxx");  // untouched by a miss
    EXPECT_EQ(nav_.navaid_by_key("KEY", id), 0.0);  // other tables are empty
    EXPECT_EQ(nav_.waypoint_by_key("KEY"), 0.0);
}

TEST_F(Tables, EmptyTableAndReloads) {
    folder_.write_table(Table::navaids, {});
    EXPECT_EQ(nav_.load_navaids(), 1);
    EXPECT_TRUE(nav_.navaids().empty());

    folder_.write_table(Table::waypoints, {rec("A", "", "a", 1.0), rec("B", "", "b", 2.0)});
    EXPECT_EQ(nav_.load_waypoints(), 1);
    EXPECT_EQ(nav_.load_waypoints(), 1);
    EXPECT_EQ(nav_.waypoints().size(), 2u);
    EXPECT_EQ(nav_.waypoint_by_key("B"), 2.0);

    // A reload that fails leaves the list empty, and the lookups with it.
    std::filesystem::remove(folder_.path() / "system/waypoint.pod");
    EXPECT_EQ(nav_.load_waypoints(), 0);
    EXPECT_TRUE(nav_.waypoints().empty());
    EXPECT_EQ(nav_.waypoint_by_key("B"), 0.0);
}

TEST_F(Tables, WrongEntryPathLoadsNothing) {
    podlib::write_archive("system/navaid.pod", {{"DATABASE\\navaid.dbd", podlib::encode_table(Table::navaids, {rec("A", "B", "C", 1)})}});
    EXPECT_EQ(nav_.load_navaids(), 0);
    EXPECT_TRUE(nav_.navaids().empty());
    EXPECT_EQ(nav_.load_airports(), 0);  // no archive at all
}

// Hand-made table entries: header, then records of a chosen size.
class RawTables : public Tables {
protected:
    // An airport table of `count` records of `size` bytes, `real` of them present.
    std::vector<uint8_t> table(int32_t count, int32_t size, size_t real) {
        const size_t bytes = 56 + real * size_t(std::max(size, 0));
        std::vector<uint8_t> t(bytes + 80, 0);  // room for records shorter than their fields
        put_u32(t, 16, uint32_t(count));
        put_u32(t, 20, uint32_t(size));
        for (size_t i = 0; i < real; ++i) {
            uint8_t *r = &t[56 + i * size_t(size)];
            r[4] = 'K';
            r[5] = uint8_t('0' + i % 10);
            std::memcpy(r + 14, "IDEN", 5);
            const double v = double(i) + 0.5;
            std::memcpy(r + 59, &v, 8);
            for (size_t j = 67; j < size_t(size); ++j) r[j] = 0xEE;  // bytes the reader skips
        }
        t.resize(bytes);
        return t;
    }
    // An archive whose only entry is the table, placed last: the end of the
    // table is the end of the file.
    int load(const std::vector<uint8_t> &t) {
        const std::string name = "DATABASE\\AIRPVARMAG.DBD";
        std::vector<uint8_t> a(272 + 20 + name.size() + 1, 0);
        put_u32(a, 88, 1);
        put_u32(a, 264, 272);
        put_u32(a, 272 + 8, uint32_t(a.size()));
        std::memcpy(&a[292], name.data(), name.size());
        a.insert(a.end(), t.begin(), t.end());
        folder_.write("system/airpvarmag.pod", a);
        return nav_.load_airports();
    }
};

TEST_F(RawTables, LongerRecordsAreSkippedWhole) {
    ASSERT_EQ(load(table(3, 200, 3)), 1);
    ASSERT_EQ(nav_.airports().size(), 3u);
    EXPECT_STREQ(nav_.airports()[2].key, "K2");
    EXPECT_EQ(nav_.airports()[2].variation, 2.5);
    ASSERT_EQ(load(table(2, 67, 2)), 1);  // exactly the fields read
    EXPECT_EQ(nav_.airports()[1].variation, 1.5);
}

TEST_F(RawTables, UntrustworthyHeadersLoadNothing) {
    ASSERT_EQ(load(table(3, 91, 3)), 1);
    for (auto t : {table(-1, 91, 0), table(4, 91, 3), table(0x7FFFFFFF, 91, 1), table(3, 66, 3), table(3, -91, 0),
                   table(3, 0, 0), table(0x40000000, 0x40000000, 0), table(3, 91, 3)}) {
        if (t == table(3, 91, 3)) t.resize(t.size() - 1);  // truncated by one byte
        EXPECT_EQ(load(t), 0);
        EXPECT_TRUE(nav_.airports().empty());
        char id[5] = "";
        EXPECT_EQ(nav_.airport_by_key("K0", id), 0.0);
    }
    // A header cut short, and a data offset past the end of the file.
    EXPECT_EQ(load(std::vector<uint8_t>(55, 0)), 0);
    EXPECT_EQ(load(std::vector<uint8_t>(56, 0)), 1);
    std::vector<uint8_t> b;
    {
        podlib::write_archive("system/airpvarmag.pod", {{"DATABASE\\AIRPVARMAG.DBD", table(1, 91, 1)}});
        std::ifstream in(folder_.path() / "system/airpvarmag.pod", std::ios::binary);
        b.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    const uint32_t dir = uint32_t(b[264]) | uint32_t(b[265]) << 8 | uint32_t(b[266]) << 16 | uint32_t(b[267]) << 24;
    put_u32(b, dir + 8, 0xFFFFFF00u);
    folder_.write("system/airpvarmag.pod", b);
    EXPECT_EQ(nav_.load_airports(), 0);
}

TEST_F(RawTables, UnterminatedTextIsCutToItsField) {
    std::vector<uint8_t> t = table(1, 91, 1);
    std::memset(&t[56 + 4], 'K', 10);
    std::memset(&t[56 + 14], 'I', 5);
    std::memset(&t[56 + 19], 'N', 40);
    ASSERT_EQ(load(t), 1);
    EXPECT_EQ(std::string(nav_.airports()[0].key), std::string(9, 'K'));
    EXPECT_EQ(std::string(nav_.airports()[0].identifier), "IIII");
    EXPECT_EQ(std::string(nav_.airports()[0].name), std::string(39, 'N'));
    char id[5];
    EXPECT_EQ(nav_.airport_by_key("KKKKKKKKK", id), 0.5);
}

TEST_F(Tables, CurrentVariationFromTheHost) {
    fake_host::set_variation(-4.5f, true);
    EXPECT_EQ(nav_.current_variation(), -4.5f);
    EXPECT_EQ(nav_.variation(), -4.5f);
    fake_host::set_variation(7.0f, false);
    EXPECT_EQ(nav_.current_variation(), 0.0f);
    EXPECT_EQ(nav_.variation(), 0.0f);
}

TEST_F(Tables, SampleWorldLoads) {
    for (auto t : {Table::airports, Table::navaids, Table::waypoints}) {
        const auto &info = podlib::table_info(t);
        const auto rows = podlib::read_table_csv(t, std::string(NAVDATA_WORLD) + "/" + std::string(info.name) + ".csv");
        ASSERT_FALSE(rows.empty());
        folder_.write_table(t, rows);
    }
    EXPECT_EQ(nav_.load_airports(), 1);
    EXPECT_EQ(nav_.load_navaids(), 1);
    EXPECT_EQ(nav_.load_waypoints(), 1);
    EXPECT_GE(nav_.airports().size(), 20u);
    EXPECT_GE(nav_.navaids().size(), 10u);
    EXPECT_GE(nav_.waypoints().size(), 20u);
}

TEST_F(Tables, LargeTableWithRepeatedKeysAnswersFirstInLoadOrder) {
    std::vector<Record> rows;
    for (int i = 0; i < 3000; ++i) rows.push_back(rec(numbered("K", i % 1000), "I", "n", double(i)));
    podlib::write_archive("system/waypoint.pod", {{"DATABASE\\WAYPOINT.DBD", podlib::encode_table(Table::waypoints, rows)}});
    ASSERT_EQ(nav_.load_waypoints(), 1);
    for (int i = 0; i < 1000; ++i) ASSERT_EQ(nav_.waypoint_by_key(numbered("K", i).c_str()), double(i)) << i;
    for (int i = 1000; i < 3000; ++i) ASSERT_EQ(nav_.waypoint_by_key(numbered("K", i).c_str()), 0.0) << i;
}

// A table of two keys repeated over and over (a broken export, say) must not
// make every insert walk all the earlier records.
TEST_F(Tables, TableOfFewRepeatedKeysLoadsAndAnswersFirst) {
    std::vector<Record> rows;
    for (int i = 0; i < 60000; ++i) rows.push_back(rec(i % 2 ? "TWIN" : "SAME", "I", "n", double(i + 1)));
    podlib::write_archive("system/waypoint.pod", {{"DATABASE\\WAYPOINT.DBD", podlib::encode_table(Table::waypoints, rows)}});
    ASSERT_EQ(nav_.load_waypoints(), 1);
    EXPECT_EQ(nav_.waypoints().size(), rows.size());
    EXPECT_EQ(nav_.waypoint_by_key("SAME"), 1.0);
    EXPECT_EQ(nav_.waypoint_by_key("TWIN"), 2.0);
    EXPECT_EQ(nav_.waypoint_by_key("SAME "), 0.0);
}
