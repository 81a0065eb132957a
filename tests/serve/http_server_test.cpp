#include "host/serve/http_server.h"

#include <gtest/gtest.h>

#include "host/serve/replies.h"

namespace panelhost::live {
namespace {

using nlohmann::json;

// The status of a refused head, or 0.
int refused(std::vector<std::pair<std::string, std::string>> headers, std::string_view url = "/api/key") {
    RequestHead head{"POST", url, "HTTP/1.1", std::move(headers), {}};
    auto r = check_head(head);
    return r ? r->status : 0;
}

TEST(RequestHead, LengthsAndEncodings) {
    EXPECT_EQ(refused({{"Host", "x"}, {"Content-Length", "26"}}), 0);
    EXPECT_EQ(refused({{"content-length", "26"}, {"Content-Length", "26"}}), 0);
    EXPECT_EQ(refused({{"Content-Length", "4096"}}), 0);
    EXPECT_EQ(refused({{"Content-Length", "0004096"}}), 0);
    EXPECT_EQ(refused({{"Content-Length", "4097"}}), 413);
    EXPECT_EQ(refused({{"Content-Length", "99999999999999999999999"}}), 413);
    EXPECT_EQ(refused({{"Content-Length", "1"}, {"Content-Length", "2"}}), 400);
    EXPECT_EQ(refused({{"Content-Length", "-1"}}), 400);
    EXPECT_EQ(refused({{"Content-Length", ""}}), 400);
    EXPECT_EQ(refused({{"Transfer-Encoding", "chunked"}}), 411);
    EXPECT_EQ(refused({{"TRANSFER-ENCODING", "identity"}, {"Content-Length", "3"}}), 411);
}

TEST(RequestHead, TheHeadIsCountedAsItsLines) {
    // "X: 1\r\n" is six bytes: the request line, Host and the end leave room
    // for 10,900 of them in 64 KB, not for 11,000.
    auto fields = [](size_t n) { return std::vector<std::pair<std::string, std::string>>(n, {"X", "1"}); };
    auto head = [](std::vector<std::pair<std::string, std::string>> f) {
        f.emplace_back("Host", "x");
        return RequestHead{"GET", "/api/status", "HTTP/1.1", std::move(f), {}};
    };
    EXPECT_FALSE(check_head(head(fields(10900))));
    auto r = check_head(head(fields(11000)));
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, 431);
    EXPECT_EQ(json::parse(r->body)["error"], "the request headers are over 65536 bytes");
    // The query counts as well.
    RequestHead long_query{"GET", "/api/frame", "HTTP/1.1", {}, {{"after", std::string(70000, '1')}}};
    EXPECT_EQ(check_head(long_query)->status, 431);
}

TEST(RequestHead, AbsoluteFormTargetsAreTheirPath) {
    EXPECT_EQ(target_path("/api/status"), "/api/status");
    EXPECT_EQ(target_path("http://127.0.0.1:8650/api/status"), "/api/status");
    EXPECT_EQ(target_path("HTTP://localhost/"), "/");
    EXPECT_EQ(target_path("https://localhost"), "/");
    EXPECT_EQ(target_path("*"), "*");
    EXPECT_EQ(target_path("http:/x"), "http:/x");
}

TEST(Routes, UnknownPathsAndMethods) {
    auto none = [](const HttpRequest &) { return HttpReply{}; };
    const std::vector<Route> routes = {{"GET", "/", none}, {"GET", "/api/status", none}, {"POST", "/api/key", none}};
    const Route *found = nullptr;
    EXPECT_FALSE(check_route(routes, "GET", "/api/status", &found));
    EXPECT_EQ(found, &routes[1]);
    EXPECT_FALSE(check_route(routes, "HEAD", "/", &found));
    EXPECT_EQ(found, &routes[0]);

    for (const char *method : {"GET", "DELETE", "PUT", "HEAD"}) {
        auto r = check_route(routes, method, "/api/key", &found);
        ASSERT_TRUE(r) << method;
        EXPECT_EQ(r->status, 405) << method;
        EXPECT_EQ(r->headers, (Fields{{"Allow", "POST"}})) << method;
        EXPECT_EQ(json::parse(r->body)["error"], "send this as a POST with a JSON body");
        EXPECT_EQ(found, nullptr);
    }
    auto r = check_route(routes, "POST", "/api/status", &found);
    EXPECT_EQ(r->status, 405);
    EXPECT_EQ(r->headers, (Fields{{"Allow", "GET, HEAD"}}));

    // Paths are matched whole: no way up and out of them.
    for (const char *path : {"/../api/status", "/api/status/", "/api//status", "/API/STATUS", "/etc/passwd"})
        EXPECT_EQ(check_route(routes, "GET", path, &found)->status, 404) << path;
    // The path comes back cut short, and as UTF-8.
    std::string error = json::parse(check_route(routes, "GET", "/\xff" + std::string(200, 'a'), &found)->body)["error"];
    EXPECT_EQ(error, "no such page: /\xef\xbf\xbd" + std::string(78, 'a') + "...");
}

TEST(Replies, RequestTextsThatAreNotUtf8StillMakeJson) {
    std::string text = json_text({{"error", "no such page: /\xff\xc3("}});
    EXPECT_EQ(text, "{\"error\":\"no such page: /\xef\xbf\xbd\xef\xbf\xbd(\"}");
    EXPECT_EQ(excerpt(std::string(100, 'a'), 10), "aaaaaaaaaa...");
    EXPECT_EQ(frame_number("-1"), -1);
    EXPECT_EQ(frame_number("42"), 42);
    EXPECT_FALSE(frame_number("-2"));
    EXPECT_FALSE(frame_number("4x"));
    EXPECT_FALSE(frame_number(""));
    EXPECT_FALSE(frame_number("99999999999999999999"));
}

}  // namespace
}  // namespace panelhost::live
