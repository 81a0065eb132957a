// The frame every deliverable presents to the host: exports, info record,
// callback table, class registration, instances and resources.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "host/host.h"
#include "host/platform/entry.h"
#include "host/platform/library.h"
#include "host/services.h"

using namespace panelhost;

namespace {

struct Expected {
    const char *deliverable;
    const char *path;
    const char *name, *company, *author, *version;
    uint32_t kind, cls;
    std::vector<int> slots;
    std::vector<std::string> resources;  // load calls of DLLInit, in order
    int services;
};

const std::vector<std::string> kDisplayResources = {
    "host_font_load(\"FTASCI10.RAW\" -> 0)",        "host_font_load(\"FTTINY7.RAW\" -> 0)",
    "host_font_load(\"FTMICRO5.RAW\" -> 0)",        "host_bitmap_load(\"nav_display_1.pbm\" -> 0)",
    "host_bitmap_load(\"cadre_route.pbm\" -> 0)",   "host_bitmap_load(\"89ROSE.PBG\" -> 0)",
    "host_bitmap_load(\"179ROSE.PBG\" -> 0)",       "host_bitmap_load(\"269ROSE.PBG\" -> 0)",
    "host_bitmap_load(\"359ROSE.PBG\" -> 0)",       "host_bitmap_load(\"plane_symb.PBM\" -> 0)",
    "host_bitmap_load(\"vor2.PBM\" -> 0)",          "host_bitmap_load(\"ndb2.PBM\" -> 0)",
    "host_bitmap_load(\"airp2.PBM\" -> 0)",         "host_bitmap_load(\"nd_zark_selector.pbg\" -> 0)"};

const Expected kAll[] = {
    {"navdisplay", PLUGIN_navdisplay, "ZARK_NAV_DISPLAY_1", "ZARK Inc.", "JorinV", "1.00, 01/09/04 ZARK",
     fourcc("gage"), fourcc("ndC1"), {0, 2, 4, 5, 7, 8, 11}, kDisplayResources, 547},
    {"partanim", PLUGIN_partanim, "partanim.DLL", "ZARK", "Jorin Vasek", "08/06/2002 1.00", 0, 0,
     {0, 1, 6, 8, 17}, {"host_stream_open(\"modules\\\\pc\\\\partanim.txt\", \"rt\" -> 0)"}, 537},
    {"radio_adf", PLUGIN_radio_adf, "MORVEN_ADF DLL", "ZARK", "JV", "05/15/04 1.00", fourcc("gage"),
     fourcc("Mg_a"), {2, 4, 7, 8}, {"host_bitmap_load(\"mvchiffresxpdr.pbg\" -> 0)"}, 547},
    {"radio_com", PLUGIN_radio_com, "MORVEN_COM_2 DLL", "ZARK", "JV", "04/27/04 1.00", fourcc("gage"),
     fourcc("Mg_c"), {2, 4, 7, 8},
     {"host_bitmap_load(\"mvcom.pbg\" -> 0)", "host_bitmap_load(\"mvcomdec.pbg\" -> 0)"}, 547},
    {"radio_nav", PLUGIN_radio_nav, "MORVEN_NAV_2 DLL", "ZARK", "JV", "04/27/04 1.00", fourcc("gage"),
     fourcc("Mg_n"), {2, 4, 7, 8},
     {"host_bitmap_load(\"mvnav.pbg\" -> 0)", "host_bitmap_load(\"mvnavdec.pbg\" -> 0)"}, 547},
    {"radio_xpdr", PLUGIN_radio_xpdr, "MORVEN_XPDR DLL", "ZARK", "JV", "04/29/04 1.00", fourcc("gage"),
     fourcc("Mg_x"), {2, 4, 7, 8}, {"host_bitmap_load(\"mvchiffresxpdr.pbg\" -> 0)"}, 547},
    {"nightlight", PLUGIN_nightlight, "ZARK_NIGHTLIGHT DLL", "ZARK", "J.V. ZARK", "09/03/04 100",
     fourcc("subs"), fourcc("nlmp"), {2, 4, 5, 8, 15, 16}, {}, 547},
    {"rockers", PLUGIN_rockers, "ZARK_QD_ROCKERS DLL", "ZARK", "jorinV", "1.00, 09/22/04", fourcc("gage"),
     fourcc("roQD"), {2, 4, 5, 7, 8, 11, 15}, {}, 547},
    {"panelshift", PLUGIN_panelshift, "ShiftPane DLL", "ZARK Inc.", "Jorin Vasek", "1.00, 06/29/03 ZARK",
     fourcc("wind"), fourcc("spn_"), {2, 4, 17}, {}, 547},
};

void PrintTo(const Expected &e, std::ostream *os) { *os << e.deliverable; }

// Resource loads and frees of a log, in order.
std::vector<std::string> resource_calls(const CallLog &log, bool frees) {
    return frees ? log.of_any({kEntryFontFree, kEntryBitmapFree})
                 : log.of_any({kEntryFontLoad, kEntryBitmapLoad, kEntryStreamOpen});
}

class FrameTest : public ::testing::TestWithParam<Expected> {};

TEST_P(FrameTest, InitFillsInfoCallbacksAndRegistersClass) {
    const Expected &e = GetParam();
    Host host;
    Plugin &p = host.load(e.path);
    EXPECT_EQ(p.sdk_version(), 200);
    EXPECT_EQ(p.init_result(), 1);

    const PluginInfo &info = p.info();
    EXPECT_STREQ(info.name, e.name);
    EXPECT_STREQ(info.company, e.company);
    EXPECT_STREQ(info.author, e.author);
    EXPECT_STREQ(info.version, e.version);
    EXPECT_GT(std::strlen(info.contact), 0u);
    EXPECT_EQ(info.number, 100);
    // A plain copy: the byte behind each terminator is the host's still.
    EXPECT_EQ(uint8_t(info.name[std::strlen(info.name) + 1]), 0xAB);
    EXPECT_EQ(uint8_t(info.contact[std::strlen(info.contact) + 1]), 0xAB);

    EXPECT_EQ(p.written_slots(), e.slots);
    EXPECT_EQ(p.has_class(), e.kind != 0);
    EXPECT_EQ(p.kind(), e.kind);
    EXPECT_EQ(p.cls(), e.cls);
    EXPECT_EQ(resource_calls(host.log(), false), e.resources);

    // The class is registered last, after every resource.
    if (e.kind != 0) {
        EXPECT_EQ(host.log().calls().back().entry, kEntryRegisterClass);
    }
    EXPECT_TRUE(host.problems().empty()) << host.problems().front();
}

TEST_P(FrameTest, KillWithoutInstanceFreesWhatInitLoaded) {
    const Expected &e = GetParam();
    Host host;
    Plugin &p = host.load(e.path);
    host.log().clear();
    p.kill();
    std::vector<std::string> expected;
    for (const std::string &load : e.resources) {
        if (load.rfind("host_stream_open", 0) == 0) continue;  // the stream is closed within DLLInit
        std::string name = load.substr(load.find('"'), load.find(" ->") - load.find('"'));
        expected.push_back((load.rfind("host_font", 0) == 0 ? "host_font_free(" : "host_bitmap_free(") + name + ")");
    }
    EXPECT_EQ(resource_calls(host.log(), true), expected);
    EXPECT_TRUE(host.problems().empty()) << host.problems().front();
}

TEST_P(FrameTest, ReferenceNumberAndTableCopy) {
    const Expected &e = GetParam();
    platform::Library lib(e.path);
    ASSERT_TRUE(lib) << lib.error();
    auto get_reference = reinterpret_cast<DLLGetReferenceNumberFn>(lib.symbol("DLLGetReferenceNumber"));
    auto init_private = reinterpret_cast<DLLInitPrivateFn>(lib.symbol("DLLInitPrivate"));
    auto get_version = reinterpret_cast<DLLGetSDKVersionFn>(lib.symbol("DLLGetSDKVersion"));
    ASSERT_TRUE(get_reference && init_private && get_version);

    EXPECT_EQ(platform::enter(get_version), 200);
    EXPECT_EQ(platform::enter(get_reference), 0);
    // A table of exactly the deliverable's length: under AddressSanitizer a
    // read past its end fails the test.
    std::vector<HostEntry> table(size_t(e.services), nullptr);
    EXPECT_EQ(platform::enter(init_private, table.data(), 4711), 4711);
    EXPECT_EQ(platform::enter(get_reference), 4711);
}

TEST_P(FrameTest, ForeignCodesLeaveTheHandleAlone) {
    const Expected &e = GetParam();
    Host host;
    Plugin &p = host.load(e.path);
    auto instantiate = reinterpret_cast<OnInstantiate>(p.slot(kSlotInstantiate));
    // A deliverable without a class has nothing the host could instantiate.
    // (Checked rather than skipped: under emulated Wine a skip kills the test
    // program, see docs/targets.md.)
    if (e.kind == 0) {
        EXPECT_EQ(instantiate, nullptr);
        return;
    }
    ASSERT_NE(instantiate, nullptr);
    void *word = nullptr;
    InstanceHandle sentinel = &word;
    InstanceHandle handle = sentinel;
    host.log().clear();
    const uint32_t foreign[][2] = {{fourcc("gage"), fourcc("Mg_c")}, {fourcc("gage"), fourcc("zzzz")},
                                   {fourcc("subs"), e.cls}, {0, 0}};
    for (auto &codes : foreign) {
        if (codes[0] == e.kind && codes[1] == e.cls) continue;
        Host::Calling c(host, p);
        platform::enter(instantiate, codes[0], codes[1], &handle);
        EXPECT_EQ(handle, sentinel);
    }
    EXPECT_TRUE(host.log().calls().empty());
}

TEST_P(FrameTest, InstanceLivesInOneHostBlock) {
    const Expected &e = GetParam();
    Host host;
    Plugin &p = host.load(e.path);
    host.log().clear();
    if (e.kind == 0) {
        // Nothing registered, nothing to instantiate, nothing asked of the host.
        EXPECT_EQ(host.instantiate(p), nullptr);
        EXPECT_EQ(host.memory().live_count(), 0u);
        EXPECT_TRUE(host.log().calls().empty());
        return;
    }
    Instance *i = host.instantiate(p);
    ASSERT_NE(i, nullptr);
    ASSERT_NE(i->block(), nullptr);
    EXPECT_EQ(host.memory().live_count(), 1u);
    ASSERT_GE(host.log().calls().size(), 2u);
    EXPECT_EQ(host.log().calls()[0].text(), "host_create_instance(" + std::to_string(p.reference()) + ")");
    EXPECT_EQ(host.log().calls()[1].entry, kEntryAlloc);

    i->init();
    // Tags the deliverable does not know are refused and read nothing.
    host.log().clear();
    auto refused = i->read_definition(parse_definition("zzzz 1 2 3\nXYZW \"text\"\n", "unknown.def"));
    EXPECT_EQ(refused, (std::vector<uint32_t>{fourcc("zzzz"), fourcc("XYZW")}));
    EXPECT_TRUE(host.log().calls().empty());

    i->destroy();
    EXPECT_EQ(host.memory().live_count(), 0u);
    EXPECT_EQ(i->block(), nullptr);
    EXPECT_TRUE(host.memory().faults().empty());
    EXPECT_TRUE(host.problems().empty()) << host.problems().front();
}

TEST_P(FrameTest, FailedAllocationLeavesNoInstance) {
    const Expected &e = GetParam();
    if (e.kind == 0) return;  // no instance to allocate (see InstanceLivesInOneHostBlock)
    Host host;
    Plugin &p = host.load(e.path);
    host.memory().fail_next = 1;
    EXPECT_EQ(host.instantiate(p), nullptr);
    EXPECT_EQ(host.memory().live_count(), 0u);
    // The next one works.
    Instance *i = host.instantiate(p);
    ASSERT_NE(i, nullptr);
    i->destroy();
    EXPECT_EQ(host.memory().live_count(), 0u);
}

INSTANTIATE_TEST_SUITE_P(AllDeliverables, FrameTest, ::testing::ValuesIn(kAll),
                         [](const auto &info) { return std::string(info.param.deliverable); });

// Services that throw: the plug-in gets the entry's zero result, the host a
// problem naming the entry; a service that returns passes its result through.
int32_t throws_runtime(int32_t) { throw std::runtime_error("disk gone"); }
void **throws_anything() { throw 42; }
void throws_in_void(float *) { throw std::bad_alloc(); }
int32_t doubles(int32_t v) { return 2 * v; }

TEST(ServiceGuard, NoExceptionReachesThePlugin) {
    Host host;
    EXPECT_EQ((Guarded<kEntryFileExists, &throws_runtime>::call(5)), 0);
    EXPECT_EQ((Guarded<kEntryCreateInstance, &throws_anything>::call()), nullptr);
    Guarded<kEntryStreamReadFloat, &throws_in_void>::call(nullptr);
    EXPECT_EQ((Guarded<kEntryFileExists, &doubles>::call(21)), 42);
    static_assert(noexcept(Guarded<kEntryFileExists, &throws_runtime>::call(0)));
    EXPECT_EQ(host.problems(),
              (std::vector<std::string>{"service " + std::to_string(kEntryFileExists) + " failed: disk gone",
                                        "service " + std::to_string(kEntryCreateInstance) + " failed: unknown exception",
                                        "service " + std::to_string(kEntryStreamReadFloat) + " failed: std::bad_alloc"}));
}

}  // namespace
