#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "navdata/navdata.h"
#include "navdata/pod_archive.h"
#include "tests/navdata/fake_host.h"

using podlib::Table;

namespace {

std::string slurp(const std::filesystem::path &p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Runs podtool in the working folder; its exit status, and its output in `out`.
int podtool(const std::string &args, std::string *out = nullptr) {
    const int rc = std::system((std::string(TOOL_RUNNER) + " '" + PODTOOL + "' " + args + " >out.txt 2>err.txt").c_str());
    if (out) *out = slurp("out.txt") + slurp("err.txt");
    return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
}

std::string csv_error(Table t, const std::string &text) {
    try {
        podlib::parse_table_csv(t, text, "in.csv");
    } catch (const podlib::Error &e) {
        return e.what();
    }
    return "no error";
}

const std::string kAirportHeader = "key,identifier,name,variation,latitude,longitude,elevation\n";
const std::string kNavaidHeader = "key,identifier,name,variation,latitude,longitude,elevation,kind,frequency\n";

}  // namespace

TEST(Csv, QuotedFieldsAndLineEnds) {
    const auto rows = podlib::parse_table_csv(
        Table::navaids,
        kNavaidHeader + "NV1,OST,\"Ostra, \"\"the\"\" VOR\",-3.5,44.25,-12.5,150,VOR-DME,113.9\r\n" +
            "NV2,KSA,Kessa,0,0,0,-10,NDB,375",
        "in.csv");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].name, "Ostra, \"the\" VOR");
    EXPECT_EQ(rows[0].variation, -3.5);
    EXPECT_EQ(rows[0].kind, podlib::NavaidKind::vor_dme);
    EXPECT_EQ(rows[1].kind, podlib::NavaidKind::ndb);
    EXPECT_EQ(rows[1].frequency, 375.0);
    EXPECT_EQ(rows[1].elevation, -10.0);
}

TEST(Csv, ErrorsNameFileLineAndColumn) {
    const std::string ok = "AP1,XAB,Name,1,2,3,4\n";
    const std::pair<std::string, std::string> cases[] = {
        {"", "in.csv:1:1: empty file"},
        {"key,ident,name\n", "in.csv:1:5: header column 2 must be 'identifier'"},
        {kAirportHeader + ok + "AP2,XCD,Name,1,2,3\n", "in.csv:3:18: expected 7 fields, found 6"},
        {kAirportHeader + ok + "AP2,XCD,Name,1,2,3,4,5\n", "in.csv:3:22: expected 7 fields, found 8"},
        {kAirportHeader + "AP2,XCD,Name,east,2,3,4\n", "in.csv:2:14: 'east' is not a number"},
        {kAirportHeader + "AP2,XCD,Name,1,2 ,3,4\n", "in.csv:2:16: '2 ' is not a number"},
        {kAirportHeader + "AP2,XCD,Name,1,91,3,4\n", "in.csv:2:16: 91 is outside -90 .. 90"},
        {kAirportHeader + "AP2,XCD,Name,nan,1,3,4\n", "in.csv:2:14: 'nan' is not a number"},
        {kAirportHeader + "AP2345678X,XCD,Name,1,2,3,4\n", "in.csv:2:1: key is longer than 9 characters"},
        {kAirportHeader + ",XCD,Name,1,2,3,4\n", "in.csv:2:1: key is empty"},
        {kAirportHeader + " AP,XCD,Name,1,2,3,4\n", "in.csv:2:1: key must begin with a letter or digit"},
        {kAirportHeader + "AP2,XCDEF,Name,1,2,3,4\n", "in.csv:2:5: identifier is longer than 4 characters"},
        {kAirportHeader + "AP2,XCD," + std::string(40, 'n') + ",1,2,3,4\n", "in.csv:2:9: name is longer than 39"},
        {kAirportHeader + ok + "AP1,XCD,Name,1,2,3,4\n", "in.csv:3:1: duplicate key 'AP1' (first on line 2)"},
        {kAirportHeader + "AP2,X\"D,Name,1,2,3,4\n", "in.csv:2:6: quote inside an unquoted field"},
        {kAirportHeader + "AP2,XCD,\"Name,1,2,3,4\n", "in.csv:2:9: unterminated quoted field"},
        {kAirportHeader + "AP2,XCD,\"Na\"me,1,2,3,4\n", "in.csv:2:13: expected ','"},
        {kAirportHeader + ok + "\n" + ok, "in.csv:3:1: empty line between records"},
    };
    for (const auto &[text, expected] : cases)
        EXPECT_EQ(csv_error(Table::airports, text).rfind(expected, 0), 0u) << csv_error(Table::airports, text);
    EXPECT_EQ(csv_error(Table::navaids, kNavaidHeader + "N,I,N,1,2,3,4,TACAN,1\n").rfind("in.csv:2:15: kind 'TACAN'", 0), 0u);
    EXPECT_EQ(csv_error(Table::waypoints, kAirportHeader + "W,ABCDEFG," + std::string(26, 'n') + ",1,2,3,4\n")
                  .rfind("in.csv:2:11: name is longer than 25", 0),
              0u);
}

TEST(Csv, EmptyLinesMayEndTheFile) {
    const std::string ok = "AP1,XAB,Name,1,2,3,4";
    for (const char *end : {"\n\n", "\n\n\n", "\r\n\r\n", "\r\n\n"}) {
        SCOPED_TRACE(testing::PrintToString(end));
        EXPECT_EQ(podlib::parse_table_csv(Table::airports, kAirportHeader + ok + end, "in.csv").size(), 1u);
    }
    EXPECT_TRUE(podlib::parse_table_csv(Table::airports, kAirportHeader + "\n\n", "in.csv").empty());
    EXPECT_EQ(csv_error(Table::airports, "\n\r\n").rfind("in.csv:1:1: empty file", 0), 0u);
    // A quoted empty name on a line of its own is a row, not an empty line.
    EXPECT_EQ(csv_error(Table::airports, kAirportHeader + ok + "\n\"\"\n"), "in.csv:3:1: expected 7 fields, found 1");
}

TEST(Csv, ByteOrderMarkIsSkippedAndColumnsCountCharacters) {
    const std::string bom = "\xEF\xBB\xBF";
    const auto rows = podlib::parse_table_csv(Table::airports, bom + kAirportHeader + "AP1,XAB,Name,1,2,3,4\n", "in.csv");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].key, "AP1");
    EXPECT_EQ(csv_error(Table::airports, bom + "key,ident\n").rfind("in.csv:1:5: header column 2", 0), 0u);
    EXPECT_EQ(csv_error(Table::airports, "\xFF\xFEk\0e\0"), "in.csv:1:1: the file is UTF-16; save it as UTF-8");
    // "Zürich" is seven bytes but six characters: the next field starts at 16.
    EXPECT_EQ(csv_error(Table::airports, kAirportHeader + "AP1,XAB,Zürich,x,2,3,4\n"), "in.csv:2:16: 'x' is not a number");
}

TEST(Csv, NamesAreConvertedToCodePage1252) {
    const auto rows = podlib::parse_table_csv(
        Table::airports, kAirportHeader + "AP1,XAB,Zürich € Š–Ÿ ÿ,1,2,3,4\nAP2,XCD," + [] {
            std::string s;
            for (int i = 0; i < 39; ++i) s += "é";  // 78 bytes of UTF-8, 39 in the archive
            return s;
        }() + ",1,2,3,4\n",
        "in.csv");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].name, "Z\xFCrich \x80 \x8A\x96\x9F \xFF");
    EXPECT_EQ(rows[1].name, std::string(39, '\xE9'));

    const std::pair<std::string, std::string> cases[] = {
        {"AP1,XAB,Ĉeŝ,1,2,3,4", "in.csv:2:9: name holds 'Ĉ' (U+0108), which code page 1252 does not have"},
        {"AP1,XAB,Zürich Ŝ,1,2,3,4", "in.csv:2:16: name holds 'Ŝ' (U+015C)"},
        {"AP1,XAB,Port 🛩,1,2,3,4", "in.csv:2:14: name holds '🛩' (U+1F6E9)"},
        // Inside quotes, each doubled quote is two columns of the file.
        {"AP1,XAB,\"a \"\"b\"\" Ŝ\",1,2,3,4", "in.csv:2:18: name holds 'Ŝ'"},
        {"AP1,XAB,\"two\nlines\",1,2,3,4", "in.csv:2:13: name holds the control character U+000A"},
        {"AP1,XAB,a\xC2\x85,1,2,3,4", "in.csv:2:10: name holds the control character U+0085"},
        {"AP1,XAB,Caf\xE9,1,2,3,4", "in.csv:2:12: name is not valid UTF-8"},
        {"AP1,XAB,\xC0\xAF,1,2,3,4", "in.csv:2:9: name is not valid UTF-8"},       // overlong '/'
        {"AP1,XAB,x\xED\xA0\x80,1,2,3,4", "in.csv:2:10: name is not valid UTF-8"},  // a surrogate
        {"AP1,XAB,\xF4\x90\x80\x80,1,2,3,4", "in.csv:2:9: name is not valid UTF-8"},  // past U+10FFFF
        {"AP1,XAB,ab\xE2\x82,1,2,3,4", "in.csv:2:11: name is not valid UTF-8"},     // cut short
        {"AP1,XAB," + [] {
             std::string s;
             for (int i = 0; i < 40; ++i) s += "é";
             return s;
         }() + ",1,2,3,4",
         "in.csv:2:9: name is longer than 39 characters"},
    };
    for (const auto &[row, expected] : cases) {
        const std::string e = csv_error(Table::airports, kAirportHeader + row + "\n");
        EXPECT_EQ(e.rfind(expected, 0), 0u) << e;
    }
    // Identifiers stay ASCII; archives refuse the bytes code page 1252 leaves undefined.
    EXPECT_EQ(csv_error(Table::airports, kAirportHeader + "AP1,XÄB,N,1,2,3,4\n").rfind("in.csv:2:5: identifier holds", 0), 0u);
    podlib::Record r;
    r.key = "AP1";
    r.name = "A\x81";
    EXPECT_THROW(podlib::encode_table(Table::airports, {r}), podlib::Error);
}

// A field of a megabyte is refused at once, its text quoted short: the
// test has a timeout of its own (tests/navdata/CMakeLists.txt).
TEST(PodtoolLimits, AFieldOfAMegabyteIsRefusedAtOnce) {
    const std::string mb(1 << 20, 'n');
    std::string accented;
    for (int i = 0; i < (1 << 19); ++i) accented += "\xC3\xA9";  // é
    EXPECT_EQ(csv_error(Table::airports, kAirportHeader + "AP1,XAB," + mb + ",1,2,3,4\n"),
              "in.csv:2:9: name is longer than 39 characters");
    EXPECT_EQ(csv_error(Table::airports, kAirportHeader + "AP1,XAB,\"" + accented + "\",1,2,3,4\n"),
              "in.csv:2:9: name is longer than 39 characters");
    EXPECT_EQ(csv_error(Table::airports, kAirportHeader + "AP1,XAB,N," + mb + ",2,3,4\n"),
              "in.csv:2:11: '" + std::string(40, 'n') + "...' is not a number");
    EXPECT_EQ(csv_error(Table::airports, kAirportHeader + "AP1,XAB,N,1,2,3," + std::string(1 << 20, '0') + "1e6\n"),
              "in.csv:2:17: " + std::string(40, '0') + "... is outside -2000 .. 30000");
    EXPECT_EQ(csv_error(Table::navaids, kNavaidHeader + "NV1,OST,O,1,2,3,4," + mb + ",1\n"),
              "in.csv:2:19: kind '" + std::string(40, 'n') + "...' is not VOR, VOR-DME, VORTAC, DME or NDB");

    WorkingFolder folder;
    folder.write("long.csv", kAirportHeader + "AP1,XAB," + mb + ",1,2,3,4\n");
    std::string out;
    EXPECT_EQ(podtool("build airports long.csv long.pod", &out), 1);
    EXPECT_EQ(out, "podtool: long.csv:2:9: name is longer than 39 characters\n");
}

TEST(Podtool, RoundTripThroughTheLoaders) {
    WorkingFolder folder;
    folder.write("airports.csv", kAirportHeader + "AP1,XAB,\"Port, Ostra\",-3.25,44.123456789,-12.5,1234.5\n" +
                                     "AP2,XCD," + std::string(39, 'n') + ",0.5,-1,179.75,0\n");
    folder.write("navaids.csv", kNavaidHeader + "NV1,OST,Ostra,2.75,43,-11,150,VORTAC,113.9\n");
    folder.write("waypoints.csv", kAirportHeader + "WP1,FODAK," + std::string(25, 'w') + ",-0.125,44,-13,0\n");
    ASSERT_EQ(podtool("world . system"), 0);

    std::string out;
    ASSERT_EQ(podtool("list system/navaid.pod", &out), 0);
    EXPECT_EQ(out, "272\t167\tDATABASE\\NAVAID.DBD\n");
    ASSERT_EQ(podtool("extract system/navaid.pod 'DATABASE\\NAVAID.DBD' navaid.dbd"), 0);
    const std::string dbd = slurp("navaid.dbd");
    EXPECT_EQ(dbd.size(), 56u + 111u);
    EXPECT_EQ(podlib::decode_table(Table::navaids, std::vector<uint8_t>(dbd.begin(), dbd.end())),
              podlib::read_table_csv(Table::navaids, "navaids.csv"));
    for (auto t : {Table::airports, Table::navaids, Table::waypoints}) {
        const std::string name(podlib::table_info(t).name);
        ASSERT_EQ(podtool("dump " + name + " system/" + std::string(podlib::table_info(t).archive_file), &out), 0);
        folder.write("again.csv", out);
        EXPECT_EQ(podlib::read_table_csv(t, "again.csv"), podlib::read_table_csv(t, name + ".csv")) << name;
    }

    navdata::NavData nav;
    ASSERT_EQ(nav.load_airports(), 1);
    ASSERT_EQ(nav.load_navaids(), 1);
    ASSERT_EQ(nav.load_waypoints(), 1);
    ASSERT_EQ(nav.airports().size(), 2u);
    EXPECT_STREQ(nav.airports()[0].key, "AP1");
    EXPECT_STREQ(nav.airports()[0].identifier, "XAB");
    EXPECT_STREQ(nav.airports()[0].name, "Port, Ostra");
    EXPECT_EQ(nav.airports()[0].variation, -3.25);
    EXPECT_EQ(std::string(nav.airports()[1].name), std::string(39, 'n'));
    EXPECT_STREQ(nav.navaids()[0].identifier, "OST");
    EXPECT_EQ(nav.navaids()[0].variation, 2.75);
    EXPECT_EQ(std::string(nav.waypoints()[0].name), std::string(25, 'w'));
    EXPECT_EQ(nav.waypoints()[0].variation, -0.125);

    // pack and extract carry any bytes.
    folder.write("blob.bin", std::string("a\0b\xFF", 4));
    ASSERT_EQ(podtool("pack x.pod 'A\\B'=blob.bin 'C'=navaid.dbd"), 0);
    ASSERT_EQ(podtool("extract x.pod 'A\\B' blob.out"), 0);
    EXPECT_EQ(slurp("blob.out"), std::string("a\0b\xFF", 4));
    EXPECT_EQ(navdata::PodArchive("x.pod").find("C"), 280u);
}

TEST(Podtool, BadInputLeavesNoArchiveBehind) {
    WorkingFolder folder;
    folder.write("airports.csv", kAirportHeader + "AP1,XAB,Name,1,2,3,4\n");
    folder.write("navaids.csv", kNavaidHeader + "NV1,OST,Ostra,2.75,43,-11,150,VOR,x\n");
    folder.write("waypoints.csv", kAirportHeader);
    std::string out;
    EXPECT_EQ(podtool("world . system", &out), 1);
    EXPECT_EQ(out, "podtool: ./navaids.csv:2:35: 'x' is not a number\n");
    EXPECT_TRUE(std::filesystem::is_empty(folder.path() / "system"));

    ASSERT_EQ(podtool("build airports airports.csv a.pod"), 0);
    const std::string before = slurp("a.pod");
    folder.write("bad.csv", kAirportHeader + "AP1,XAB,Name,1,2,3\n");
    EXPECT_EQ(podtool("build airports bad.csv a.pod", &out), 1);
    EXPECT_EQ(out, "podtool: bad.csv:2:18: expected 7 fields, found 6\n");
    EXPECT_EQ(slurp("a.pod"), before);
    EXPECT_FALSE(std::filesystem::exists("a.pod.partial"));

    EXPECT_EQ(podtool("build runways airports.csv r.pod", &out), 1);
    EXPECT_EQ(podtool("extract a.pod NOPE n.out", &out), 1);
    EXPECT_EQ(out, "podtool: a.pod: no entry 'NOPE'\n");
    EXPECT_EQ(podtool("frobnicate"), 2);
    EXPECT_EQ(podtool("build navaids nothere.csv n.pod", &out), 1);
    EXPECT_EQ(out, "podtool: nothere.csv: cannot open: No such file or directory\n");
}

TEST(Podlib, ListRejectsBrokenArchives) {
    WorkingFolder folder;
    podlib::write_archive("a.pod", {{"E", {1, 2, 3}}});
    std::string b = slurp("a.pod");
    b.resize(b.size() - 1);  // the name loses its terminator
    folder.write("b.pod", b);
    EXPECT_THROW(podlib::list_archive("b.pod"), podlib::Error);
    folder.write("c.pod", b.substr(0, 100));
    EXPECT_THROW(podlib::list_archive("c.pod"), podlib::Error);
    EXPECT_THROW(podlib::write_archive("d.pod", {{"E", {}}, {"E", {}}}), podlib::Error);
    EXPECT_FALSE(std::filesystem::exists("d.pod"));
    EXPECT_THROW(podlib::decode_table(Table::airports, std::vector<uint8_t>(10)), podlib::Error);
}

TEST(Podtool, WorldMakesItsFolderOrSaysWhyNot) {
    WorkingFolder folder;
    std::filesystem::create_directory("in");
    folder.write("in/airports.csv", "\xEF\xBB\xBF" + kAirportHeader + "AP1,XAB,Zürich,1,2,3,4\n\n");
    folder.write("in/navaids.csv", kNavaidHeader + "NV1,OST,Ostra,2.75,43,-11,150,VOR,113.9\r\n\r\n");
    folder.write("in/waypoints.csv", kAirportHeader);
    std::string out;
    ASSERT_EQ(podtool("world in new/deep/system", &out), 0) << out;
    EXPECT_TRUE(std::filesystem::exists("new/deep/system/airpvarmag.pod"));
    EXPECT_TRUE(std::filesystem::exists("new/deep/system/waypoint.pod"));
    // The archive holds code page 1252; dump gives UTF-8 back.
    ASSERT_EQ(podtool("dump airports new/deep/system/airpvarmag.pod", &out), 0);
    EXPECT_EQ(out, kAirportHeader + "AP1,XAB,Zürich,1,2,3,4\n");
    EXPECT_EQ(podlib::decode_table(Table::airports, podlib::extract_entry("new/deep/system/airpvarmag.pod",
                                                                          "DATABASE\\AIRPVARMAG.DBD"))[0].name,
              "Z\xFCrich");

    folder.write("plain", "");
    EXPECT_EQ(podtool("world in plain", &out), 1);
    EXPECT_EQ(out, "podtool: plain: is not a folder\n");
    EXPECT_EQ(podtool("world in plain/system", &out), 1);
    EXPECT_EQ(out.rfind("podtool: plain/system: cannot create the folder: ", 0), 0u) << out;
    EXPECT_EQ(podtool("build airports in/airports.csv nowhere/a.pod", &out), 1);
    EXPECT_EQ(out, "podtool: nowhere/a.pod: cannot write nowhere/a.pod.partial: No such file or directory\n");
}

TEST(Podtool, HelpGoesToStandardOutputAndMistakesAreNamed) {
    WorkingFolder folder;
    for (const char *help : {"--help", "-h", "help"}) {
        EXPECT_EQ(podtool(help), 0) << help;
        EXPECT_EQ(slurp("out.txt").rfind("usage:\n  podtool build", 0), 0u) << help;
        EXPECT_EQ(slurp("err.txt"), "");
    }
    EXPECT_EQ(podtool("frobnicate"), 2);
    EXPECT_EQ(slurp("err.txt").rfind("podtool: unknown command 'frobnicate'\nusage:", 0), 0u);
    EXPECT_EQ(podtool("list"), 2);
    EXPECT_EQ(slurp("err.txt").rfind("podtool: wrong number of arguments for 'list'\nusage:", 0), 0u);
    EXPECT_EQ(podtool(""), 2);
    EXPECT_EQ(slurp("err.txt").rfind("usage:", 0), 0u);
}

// The help and the table error spell out the tables and archives as the
// tool knows them; the archives are the ones the display reads.
TEST(Podtool, HelpAndTableErrorNameEveryTable) {
    WorkingFolder folder;
    std::string out;
    ASSERT_EQ(podtool("--help", &out), 0);
    EXPECT_NE(out.find("  podtool build <airports|navaids|waypoints> <table.csv> <archive.pod>\n"), std::string::npos)
        << out;
    EXPECT_NE(out.find("  podtool dump <airports|navaids|waypoints> <archive.pod>\n"), std::string::npos) << out;
    const std::string world = std::string("      airports.csv, navaids.csv, waypoints.csv -> ") +
                              pod::kAirportFiles.archive + ", " + pod::kNavaidFiles.archive + ", " +
                              pod::kWaypointFiles.archive + "\n";
    EXPECT_NE(out.find(world), std::string::npos) << out;
    EXPECT_EQ(podtool("build runways in.csv out.pod", &out), 1);
    EXPECT_EQ(out, "podtool: unknown table 'runways' (airports, navaids or waypoints)\n");
}
