#include "host/serve/server.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "tests/serve/http_client.h"

namespace panelhost::live {
namespace {

using nlohmann::json;
using namespace std::chrono_literals;
using client::Answer;

// The bundled scenario without its timed events, served on a free port.
class ServerTest : public ::testing::Test {
protected:
    SessionOptions options() const {
        SessionOptions o;
        o.scenario = scenario_;
        o.paths = {SERVE_TEST_PLUGINS, SERVE_TEST_WORLD, SERVE_TEST_ASSETS};
        o.events = false;
        return o;
    }
    void SetUp() override {
        session_ = std::make_unique<LiveSession>(options());
        server_ = std::make_unique<LiveServer>(*session_);
        port_ = server_->listen("127.0.0.1", 0);
    }
    void TearDown() override { server_->stop(); }

    // Each on a connection of its own.
    Answer get(const std::string &path) { return client::ask(port_, client::get(path)); }
    Answer post_answer(const char *path, const std::string &body) { return client::ask(port_, client::post(path, body)); }
    int post(const char *path, const std::string &body) { return post_answer(path, body).status; }
    json status() { return json::parse(get("/api/status").body); }
    void pause() {
        ASSERT_EQ(post("/api/control", R"({"action":"pause"})"), 202);
        for (int i = 0; i < 1000 && !status().value("paused", false); ++i) std::this_thread::sleep_for(20ms);
        ASSERT_TRUE(status().value("paused", false));
    }

    std::string scenario_ = SERVE_TEST_SCENARIO;
    std::unique_ptr<LiveSession> session_;
    std::unique_ptr<LiveServer> server_;
    int port_ = 0;
};

TEST_F(ServerTest, ServesThePageThePanelAndItsFrames) {
    Answer page = get("/");
    EXPECT_EQ(page.status, 200);
    EXPECT_NE(page.body.find("<canvas id=\"panel\""), std::string::npos);

    json panel = json::parse(get("/api/panel").body);
    ASSERT_FALSE(panel["gauges"].empty());
    EXPECT_EQ(panel["gauges"][0]["name"], "display");
    EXPECT_EQ(panel["gauges"][0]["width"], 206);

    Answer map = get("/api/map");
    ASSERT_EQ(map.status, 200);
    EXPECT_EQ(map.header("Content-Type"), "image/png");
    EXPECT_EQ(map.body.substr(1, 3), "PNG");

    Answer frame = get("/api/frame?after=-1");
    ASSERT_EQ(frame.status, 200);
    EXPECT_EQ(frame.header("Content-Type"), "image/png");
    EXPECT_EQ(frame.body.substr(1, 3), "PNG");
    long first = std::stol(frame.header("X-Frame"));
    // The next request waits for a newer frame.
    Answer next = get("/api/frame?after=" + std::to_string(first));
    EXPECT_GT(std::stol(next.header("X-Frame")), first);
}

// Frames are encoded ahead of the requests while the page asks for them,
// and not at all while nobody does.
TEST_F(ServerTest, FramesAreEncodedWhileThePageAsks) {
    std::this_thread::sleep_for(300ms);
    EXPECT_FALSE(session_->latest()->ready()) << "a frame nobody asked for was encoded";
    long shown = std::stol(get("/api/frame?after=-1").header("X-Frame"));
    // The next frames are encoded as they are published: a frame is ready
    // before any request asks for it.
    bool ahead = false;
    for (auto end = std::chrono::steady_clock::now() + 2s; !ahead && std::chrono::steady_clock::now() < end;) {
        auto f = session_->frame_after(shown + 1, 1000ms);
        std::this_thread::sleep_for(20ms);
        ahead = f->number() > shown + 1 && f->ready();
    }
    EXPECT_TRUE(ahead);
    std::this_thread::sleep_for(2500ms);  // nobody asks any more
    EXPECT_FALSE(session_->latest()->ready());
}

TEST_F(ServerTest, BadRequestsAreRefusedAndChangeNothing) {
    pause();
    long published = session_->latest()->number();
    const std::pair<const char *, std::string> bad[] = {
        {"/api/click", "{not json"},
        {"/api/click", R"({"gauge":"nowhere","x":1,"y":1})"},
        {"/api/click", R"({"gauge":"display","x":206,"y":10})"},
        {"/api/click", R"({"gauge":"display","x":10,"y":-1})"},
        {"/api/key", R"({"code":"A"})"},
        {"/api/control", R"({"action":"speed","speed":100})"},
        {"/api/control", R"({"action":"resume","now":true})"},
        {"/api/key", std::string(64 * 1024, ' ')},
    };
    const int expected[] = {400, 404, 422, 422, 400, 422, 400, 413};
    for (size_t i = 0; i < std::size(bad); ++i) {
        Answer r = post_answer(bad[i].first, bad[i].second);
        EXPECT_EQ(r.status, expected[i]) << bad[i].second.substr(0, 60);
        EXPECT_TRUE(json::parse(r.body).contains("error")) << i;
    }
    EXPECT_EQ(get("/api/frame?after=abc").status, 400);
    EXPECT_EQ(get("/api/click").status, 405);
    EXPECT_EQ(get("/api/nothing").status, 404);
    std::this_thread::sleep_for(100ms);
    // Nothing reached the simulation: it published no frame and stays paused.
    EXPECT_EQ(session_->latest()->number(), published);
    EXPECT_TRUE(status()["paused"]);

    // A good one does.
    EXPECT_EQ(post("/api/key", R"({"code":45,"modifiers":4})"), 202);
    auto frame = session_->frame_after(published, 2000ms);
    EXPECT_GT(frame->number(), published);
    json windows = frame->status()["windows"];
    ASSERT_EQ(windows.size(), 1u);
    EXPECT_EQ(windows[0], json({{"number", 6}, {"x", 20}, {"y", 20}, {"width", 100}, {"height", 100}}));
}

TEST_F(ServerTest, ClientsThatGoAwayLeaveTheHostServing) {
    for (int i = 0; i < 5; ++i) {
        client::Connection c(port_);
        ASSERT_TRUE(c.connected());
        // A frame request, or half a command, and then gone.
        ASSERT_TRUE(c.send_all(i % 2 ? "GET /api/frame?after=-1 HTTP/1.1\r\nHost: x\r\n\r\n"
                                     : "POST /api/click HTTP/1.1\r\nHost: x\r\nContent-Length: 100\r\n\r\n{\"ga"));
    }
    std::this_thread::sleep_for(200ms);
    json s = status();
    EXPECT_EQ(s["error"], "");
    EXPECT_FALSE(s["paused"]);
    EXPECT_EQ(get("/api/frame?after=-1").status, 200);
}

TEST_F(ServerTest, ControlsActThroughTheBus) {
    pause();
    ASSERT_EQ(post("/api/control", R"({"action":"light","switch":2,"on":true})"), 202);
    ASSERT_EQ(post("/api/control", R"({"action":"autopilot","on":true})"), 202);
    ASSERT_EQ(post("/api/control", R"({"action":"power","on":false})"), 202);
    ASSERT_EQ(post("/api/control", R"({"action":"radio","radio":"adf","value":375})"), 202);
    // Controls act in the order they came: the last one seen means all were.
    ASSERT_EQ(post("/api/control", R"({"action":"speed","speed":4})"), 202);
    json s;
    for (int i = 0; i < 1000; ++i) {  // up to 20 s on a loaded machine
        s = status();
        if (s["speed"] == 4.0) break;
        std::this_thread::sleep_for(20ms);
    }
    EXPECT_EQ(s["lights"], json({false, true, false}));
    EXPECT_EQ(s["autopilot"], true);
    EXPECT_EQ(s["power"], false);
    bool tuned = false;
    for (const json &r : s["radios"]) tuned |= r["radio"] == "adf" && r["value"] == 375.0;
    EXPECT_TRUE(tuned);

    // A restart flies the scenario again from its start, with its own values:
    // the power switched off above is on again.
    ASSERT_EQ(post("/api/control", R"({"action":"restart"})"), 202);
    for (int i = 0; i < 1000 && status()["last_event"] != "restart"; ++i) std::this_thread::sleep_for(20ms);
    s = status();
    EXPECT_EQ(s["last_event"], "restart");
    EXPECT_EQ(s["power"], true);
    EXPECT_EQ(s["error"], "");
}

// The live page shows the panel picture of a flight: the radio heads on their faces.
TEST_F(ServerTest, TheLivePanelShowsTheRadioHeadsOnTheirFaces) {
    auto frame = session_->frame_after(-1, 5000ms);
    ASSERT_NE(frame, nullptr);
    json panel = json::parse(get("/api/panel").body);
    int heads = 0;
    for (const json &g : panel["gauges"]) {
        const int x = g["x"], y = g["y"];
        if (g["plugin"].get<std::string>().rfind("radio_", 0) != 0) continue;
        ++heads;
        // The face's outer shade at the head's corner, the panel just outside it.
        EXPECT_EQ(frame->panel().at(x, y), 0x5F5F5Fu) << g["name"];
        EXPECT_EQ(frame->panel().at(x - 1, y), 0x303438u) << g["name"];
    }
    EXPECT_EQ(heads, 4);
}

TEST_F(ServerTest, StatusShowsRadiosAsTheHeadsDoAndTheUnitsTheyRead) {
    ASSERT_EQ(post("/api/control", R"({"action":"radio","radio":"nav","unit":2,"which":"standby","value":108.1})"), 202);
    ASSERT_EQ(post("/api/control", R"({"action":"radio","radio":"com","unit":2,"value":136.975})"), 202);
    json nav, com, units;
    for (int i = 0; i < 1000 && (nav.is_null() || com.is_null() || units.size() < 4); ++i) {
        json s = status();
        units = s.value("radio_units", json::object());
        for (const json &r : s["radios"]) {
            if (r["radio"] == "nav" && r["unit"] == 2 && r["which"] == "standby" && r["text"] == "108.10") nav = r;
            if (r["radio"] == "com" && r["unit"] == 2 && r["which"] == "active" && r["text"] == "136.975") com = r;
        }
        std::this_thread::sleep_for(20ms);
    }
    // Stored as the host's float, shown as the head shows it.
    ASSERT_FALSE(nav.is_null());
    EXPECT_EQ(nav["value"].get<double>(), 108.1);
    EXPECT_EQ(json(nav["value"]).dump(), "108.1");
    ASSERT_FALSE(com.is_null());
    EXPECT_EQ(com["value"].get<double>(), 136.975);
    // The bundled heads: COM and NAV read unit 2, ADF and the transponder unit 1.
    EXPECT_EQ(units.dump(), R"({"adf":[1],"com":[2],"nav":[2],"xpdr":[1]})");
    // The scenario's own tuning as the page lists it.
    int listed = 0;
    json panel = json::parse(get("/api/panel").body);
    for (const json &r : panel["controls"]["radios"]) {
        if (r["radio"] != "nav" || r["which"] != "standby") continue;
        EXPECT_EQ(r["text"], "108.10");
        ++listed;
    }
    EXPECT_EQ(listed, 1);
}

// A restart that fails leaves no panel: no picture, no clicks, until a
// restart succeeds.
class RestartTest : public ServerTest {
protected:
    void SetUp() override {
        file_ = std::filesystem::path(testing::TempDir()) / "restart-test.toml";
        std::ifstream in(SERVE_TEST_SCENARIO);
        std::ostringstream text;
        text << in.rdbuf();
        good_ = text.str();
        write(good_);
        scenario_ = file_.string();
        ServerTest::SetUp();
    }
    void write(const std::string &text) { std::ofstream(file_) << text; }
    json restart() {
        long generation = status()["generation"];
        EXPECT_EQ(post("/api/control", R"({"action":"restart"})"), 202);
        json s;
        for (int i = 0; i < 1000; ++i) {
            s = status();
            if (s["generation"] != generation) break;
            std::this_thread::sleep_for(20ms);
        }
        return s;
    }

    std::filesystem::path file_;
    std::string good_;
};

TEST_F(RestartTest, AFailedRestartLeavesNoPanelUntilAGoodOne) {
    write(good_ + "\n[[event]]\nat = 1\nradio = { radio = \"com\", value = 19.25 }\n");
    json s = restart();
    EXPECT_EQ(s["state"], "no panel");
    std::string error = s["error"];
    EXPECT_EQ(error.rfind("restart failed: " + file_.string() + ":", 0), 0u) << error;
    EXPECT_NE(error.find("COM frequencies lie between"), std::string::npos) << error;
    EXPECT_FALSE(s.contains("time"));

    Answer frame = get("/api/frame?after=-1");
    EXPECT_EQ(frame.status, 503);
    EXPECT_EQ(json::parse(frame.body)["error"], "no panel: " + error);
    EXPECT_EQ(post("/api/click", R"({"gauge":"display","x":10,"y":10})"), 409);
    EXPECT_EQ(post("/api/key", R"({"code":45,"modifiers":4})"), 409);
    EXPECT_EQ(post("/api/control", R"({"action":"pause"})"), 202);

    write(good_);
    s = restart();
    EXPECT_EQ(s["state"], "paused");
    EXPECT_EQ(s["error"], "");
    EXPECT_EQ(get("/api/frame?after=-1").status, 200);
    EXPECT_EQ(post("/api/click", R"({"gauge":"display","x":10,"y":10})"), 202);
}

}  // namespace
}  // namespace panelhost::live
