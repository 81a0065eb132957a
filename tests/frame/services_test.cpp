// The list of host services and what is made from it: the host's table, the
// plug-ins' wrappers and the entry table of docs/binary-interface.md.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "frame/host_api.h"
#include "host/host.h"
#include "host/services.h"
#include "tests/scratch_folder.h"

using namespace panelhost;

namespace {

std::string row_of(const frame::ServiceText &s) {
    return "| " + std::to_string(s.number) + " | `" + s.name + "` | `" + s.signature + "` | " + s.contract + " |";
}

// The rows of the table that follows the header row `header`, up to the
// first line that is not a row.
std::vector<std::string> table_rows(std::istream &in, const std::string &header) {
    std::vector<std::string> rows;
    std::string line;
    bool inside = false;
    while (std::getline(in, line)) {
        if (!inside) {
            inside = line == header;
            if (inside) std::getline(in, line);  // the |---| line
            continue;
        }
        if (line.empty() || line.front() != '|') break;
        rows.push_back(line);
    }
    return rows;
}

TEST(ServiceList, InterfaceDocumentTableIsTheList) {
    std::ifstream doc(FRAME_TEST_INTERFACE_DOC);
    ASSERT_TRUE(doc) << FRAME_TEST_INTERFACE_DOC << ": cannot open";
    const std::vector<std::string> rows = table_rows(doc, "| entry | service | signature | contract |");
    std::vector<std::string> expected;
    std::string table = "| entry | service | signature | contract |\n|---|---|---|---|\n";
    for (const frame::ServiceText &s : frame::kServiceTexts) {
        expected.push_back(row_of(s));
        table += expected.back() + "\n";
    }
    EXPECT_EQ(rows, expected) << FRAME_TEST_INTERFACE_DOC
                              << ": the entry table differs from frame/host_services.def; the table as the list "
                                 "has it:\n"
                              << table;
}

TEST(ServiceList, HostFillsExactlyTheListedEntriesUnderTheirNames) {
    Host host;
    for (int n = 0; n < kServiceCount; ++n) {
        const char *name = frame::service_name(n);
        EXPECT_EQ(host.services()[n] != nullptr, name != nullptr) << "entry " << n;
        host.log().add(n, "");
        EXPECT_EQ(host.log().calls().back().name, name ? name : "entry " + std::to_string(n));
    }
}

// Fakes for the wrappers to call: each records what it was given.
struct Seen {
    const ObjectRef *object = nullptr;
    float *destination = nullptr;
    size_t bytes = 0;
} g_seen;

int32_t variation(const ObjectRef *o, float *dst) {
    g_seen.object = o;
    g_seen.destination = dst;
    *dst = -7.5f;
    return 3;  // passed on as it is, not as a truth value
}

void *no_memory(size_t bytes) {
    g_seen.bytes = bytes;
    return nullptr;
}

TEST(ServiceList, WrappersForwardUnchangedAndGiveZeroWhereTheEntryIsEmpty) {
    std::vector<HostEntry> table(kServiceCount, nullptr);
    table[kEntryObjectGetValue282] = reinterpret_cast<HostEntry>(&variation);
    table[kEntryAlloc] = reinterpret_cast<HostEntry>(&no_memory);
    frame::install_services(table.data(), 9);

    const ObjectRef user{{1, 2, 3}};
    float degrees = 0.0f;
    EXPECT_EQ(host_object_get_value_282(&user, &degrees), 3);
    EXPECT_EQ(g_seen.object, &user);
    EXPECT_EQ(g_seen.destination, &degrees);
    EXPECT_EQ(degrees, -7.5f);
    EXPECT_EQ(host_alloc(4096), nullptr);
    EXPECT_EQ(g_seen.bytes, 4096u);

    // Empty entries: no call, the zero result.
    EXPECT_EQ(host_create_instance(9), nullptr);
    EXPECT_EQ(host_font_load(nullptr), 0);
    EXPECT_EQ(host_convert_value_208(0x40000000u), 0.0f);
    uint32_t raw = 77;
    host_object_get_value_280(&user, &raw);
    EXPECT_EQ(raw, 77u);
    double vector[3] = {1.0, 2.0, 3.0};
    const GeoPosition a{}, b{};
    EXPECT_EQ(host_position_vector(vector, &a, &b), vector);
    EXPECT_EQ(vector[0], 0.0);
    EXPECT_EQ(vector[1], 0.0);
    EXPECT_EQ(vector[2], 0.0);
    frame::install_services(nullptr, 0);
}

// The file, stream and model services share one check: a name that is not a
// regular file (a folder, nothing) is not there, and no problem either.
TEST(HostResources, OnlyRegularFilesAreFilesStreamsAndModels) {
    const std::filesystem::path root = suite_test::make_scratch_folder("resources");
    std::filesystem::create_directories(root / "folder.def");
    std::ofstream(root / "good.def") << "auto 3\n";
    std::ofstream(root / "bad.def") << "auto {\n";
    std::ofstream(root / "night.acm") << "model";
    {
        Host host(HostOptions{root.string()});
        EXPECT_EQ(Services::file_exists("good.def", 3), 1);
        EXPECT_EQ(Services::file_exists("folder.def", 3), 0);
        EXPECT_EQ(Services::file_exists("missing.def", 3), 0);
        EXPECT_EQ(Services::file_exists(nullptr, 3), 0);

        StreamRecord folder{"folder.def", "rt"}, missing{"missing.def", "rt"}, bad{"bad.def", "rt"},
            good{"good.def", "rt"};
        EXPECT_EQ(Services::stream_open(&folder), 0);
        EXPECT_EQ(Services::stream_open(&missing), 0);
        EXPECT_TRUE(host.problems().empty()) << host.problems().front();
        EXPECT_EQ(Services::stream_open(&bad), 0);
        ASSERT_EQ(host.problems().size(), 1u);
        EXPECT_NE(host.problems()[0].find("bad.def:1"), std::string::npos) << host.problems()[0];
        host.problems().clear();
        EXPECT_EQ(Services::stream_open(&good), 1);
        Services::stream_close(&good);

        const ObjectRef user = host.world().user_ref();
        EXPECT_EQ(Services::object_load_model(&user, "folder.def", fourcc("nite")), 0);
        EXPECT_EQ(Services::object_select_model(&user, fourcc("nite")), 0);
        EXPECT_EQ(Services::object_load_model(&user, "night.acm", fourcc("nite")), 1);
        EXPECT_EQ(Services::object_select_model(&user, fourcc("nite")), 1);
        EXPECT_EQ(host.world().user().selected_model, fourcc("nite"));
        EXPECT_TRUE(host.problems().empty()) << host.problems().front();
    }
    std::filesystem::remove_all(root);
}

// The traffic list comes from the same builder as the nearby lists: linked
// records, counted, held until given back once.
TEST(HostResources, TrafficListIsLinkedCountedAndGivenBackOnce) {
    Host host;
    host.world().add_traffic(SimObject{});
    const size_t removed = host.world().add_traffic(SimObject{});
    const size_t kept = host.world().add_traffic(SimObject{});
    host.world().remove_traffic(removed);

    void *head = nullptr;
    EXPECT_EQ(Services::get_traffic_list(&head), 2);
    std::vector<uint32_t> indices;
    for (auto *n = static_cast<const uint8_t *>(head); n != nullptr;) {
        ObjectRef ref;
        std::memcpy(&ref, n + hostlist::traffic::kRef, sizeof ref);
        EXPECT_NE(host.world().find(&ref), nullptr);
        indices.push_back(ref.words[0]);
        std::memcpy(&n, n + hostlist::traffic::kNext, sizeof n);
    }
    EXPECT_EQ(indices, (std::vector<uint32_t>{1, uint32_t(kept)}));
    EXPECT_EQ(host.resources().outstanding_lists(), 1u);
    Services::free_traffic_list(head);
    EXPECT_EQ(host.resources().outstanding_lists(), 0u);
    EXPECT_TRUE(host.problems().empty());
    Services::free_traffic_list(head);
    EXPECT_EQ(host.problems().size(), 1u) << "a list given back twice";

    host.world().remove_traffic(1);
    host.world().remove_traffic(kept);
    head = &host;
    EXPECT_EQ(Services::get_traffic_list(&head), 0);
    EXPECT_EQ(head, nullptr);
}

}  // namespace
