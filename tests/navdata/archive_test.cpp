#include <gtest/gtest.h>

#include <fstream>

#include "navdata/pod_archive.h"
#include "tests/navdata/fake_host.h"

using navdata::PodArchive;

namespace {

std::vector<uint8_t> bytes_of(const std::string &file) {
    std::ifstream in(file, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void put_u32(std::vector<uint8_t> &b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + size_t(i)] = uint8_t(v >> (8 * i));
}

class Archive : public ::testing::Test {
protected:
    void SetUp() override {
        podlib::write_archive("system/a.pod", {{"DATABASE\\ONE.DBD", {1, 2, 3}},
                                               {"DATABASE\\TWO.DBD", {4, 5, 6, 7, 8, 9, 10, 11, 12}},
                                               {"DATABASE\\ONE.DBD.OLD", {13}}});
        bytes_ = bytes_of("system/a.pod");
    }
    uint32_t u32(size_t at) const {
        return uint32_t(bytes_[at]) | uint32_t(bytes_[at + 1]) << 8 | uint32_t(bytes_[at + 2]) << 16 |
               uint32_t(bytes_[at + 3]) << 24;
    }
    // The archive with one field changed, written back under its name.
    void patched(size_t at, uint32_t v) {
        std::vector<uint8_t> b = bytes_;
        put_u32(b, at, v);
        folder_.write("system/a.pod", b);
    }
    WorkingFolder folder_;
    std::vector<uint8_t> bytes_;
};

}  // namespace

TEST_F(Archive, FindsEntriesByExactPathThroughBackslashPath) {
    PodArchive a("system\\a.pod");
    ASSERT_EQ(a.entry_count(), 3);
    EXPECT_EQ(a.directory_offset(), u32(264));
    EXPECT_STREQ(a.path(), "system\\a.pod");
    EXPECT_EQ(a.find("DATABASE\\ONE.DBD"), 272u);
    EXPECT_EQ(a.find("DATABASE\\TWO.DBD"), 280u);
    EXPECT_EQ(a.find("DATABASE\\ONE.DBD.OLD"), 296u);
    EXPECT_EQ(a.find("database\\one.dbd"), 0u);
    EXPECT_EQ(a.find("DATABASE\\ONE"), 0u);
    EXPECT_EQ(a.find(""), 0u);
    EXPECT_STREQ(a.entry(1).path, "DATABASE\\TWO.DBD");
}

TEST_F(Archive, FirstOfTwoEqualPathsAnswers) {
    std::vector<uint8_t> b = bytes_;
    put_u32(b, u32(264) + 20 * 2, 0);  // the third entry's name is now the first's
    folder_.write("system/a.pod", b);
    EXPECT_EQ(PodArchive("system\\a.pod").find("DATABASE\\ONE.DBD"), 272u);
}

TEST_F(Archive, MissingFileIsEmpty) {
    PodArchive a("system\\none.pod");
    EXPECT_EQ(a.entry_count(), 0);
    EXPECT_EQ(a.find("DATABASE\\ONE.DBD"), 0u);
}

TEST_F(Archive, DirectoryOutsideTheFileIsEmpty) {
    const uint32_t size = uint32_t(bytes_.size());
    for (auto [at, value] : {std::pair<size_t, uint32_t>{88, 0xFFFFFFFFu},  // negative count
                             {88, 0x7FFFFFFFu},                            // count far past the end
                             {88, 6},                                      // entries run into the end
                             {264, size},                                  // directory at the end
                             {264, 0xFFFFFFF0u}}) {                        // offset wraps 32 bits
        patched(at, value);
        PodArchive a("system\\a.pod");
        EXPECT_EQ(a.entry_count(), 0) << at << "=" << value;
        EXPECT_EQ(a.find("DATABASE\\ONE.DBD"), 0u);
    }
    for (size_t cut : {size_t(0), size_t(90), size_t(266), size_t(u32(264) + 30)}) {
        folder_.write("system/a.pod", std::vector<uint8_t>(bytes_.begin(), bytes_.begin() + long(cut)));
        EXPECT_EQ(PodArchive("system\\a.pod").entry_count(), 0) << "cut at " << cut;
    }
}

TEST_F(Archive, NamesAreBoundedByTheFileAndTheirField) {
    // A name offset past the end leaves that entry without a path.
    patched(u32(264) + 20, 100000);
    PodArchive a("system\\a.pod");
    ASSERT_EQ(a.entry_count(), 3);
    EXPECT_STREQ(a.entry(1).path, "");
    EXPECT_EQ(a.find("DATABASE\\ONE.DBD"), 272u);

    // A name without a terminator is cut to 255 characters.
    std::vector<uint8_t> b = bytes_;
    const size_t names = u32(264) + 60;
    b.resize(names);
    b.insert(b.end(), 300, 'N');
    folder_.write("system/a.pod", b);
    PodArchive c("system\\a.pod");
    ASSERT_EQ(c.entry_count(), 3);
    EXPECT_EQ(std::string(c.entry(0).path), std::string(255, 'N'));
    // The last name ends at the end of the file, without a terminator.
    b.resize(names + 5);
    folder_.write("system/a.pod", b);
    EXPECT_STREQ(PodArchive("system\\a.pod").entry(0).path, "NNNNN");
}
