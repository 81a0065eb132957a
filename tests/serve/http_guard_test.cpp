#include "host/serve/http_guard.h"

#include <gtest/gtest.h>

#include "host/serve/replies.h"
#include "host/serve/requests.h"

namespace panelhost::live {
namespace {

RequestExtent measure(std::string_view text, RequestLimits limits = {}) {
    size_t scanned = 0;
    return measure_request(text, scanned, limits);
}

TEST(RequestExtent, TheHeadersEndAtTheFirstEmptyLineAndTheBodyAtItsLength) {
    std::string get = "GET /api/status HTTP/1.1\r\nHost: x\r\n\r\n";
    RequestExtent e = measure(get + "GET / HTTP/1.1\r\n");  // the next request follows
    ASSERT_EQ(e.state, RequestExtent::kComplete);
    EXPECT_EQ(e.header_bytes, get.size());
    EXPECT_EQ(e.body_bytes, 0u);
    EXPECT_EQ(measure(get.substr(0, get.size() - 1)).state, RequestExtent::kIncomplete);

    e = measure("POST /api/key HTTP/1.1\r\ncontent-length:  26 \r\nContent-Length: 26\r\n\r\n{\"code\"");
    ASSERT_EQ(e.state, RequestExtent::kComplete);
    EXPECT_EQ(e.body_bytes, 26u);
    // The library skips header lines without CR, and so does the count.
    e = measure("POST / HTTP/1.1\r\nContent-Length: 9\n\r\n");
    ASSERT_EQ(e.state, RequestExtent::kComplete);
    EXPECT_EQ(e.body_bytes, 0u);
}

TEST(RequestExtent, RefusalsBeforeTheLibrary) {
    auto status = [](std::string_view text) { return measure(text, {.max_header_bytes = 100, .max_body_bytes = 10}).status; };
    EXPECT_EQ(status("GET / HTTP/1.1\r\nX: " + std::string(100, 'a')), 431);  // no end in sight
    EXPECT_EQ(status("GET / HTTP/1.1\r\nX: " + std::string(90, 'a') + "\r\n\r\n"), 431);
    EXPECT_EQ(status("POST / HTTP/1.1\r\nContent-Length: 11\r\n\r\n"), 413);
    EXPECT_EQ(status("POST / HTTP/1.1\r\nContent-Length: 1\r\nContent-Length: 2\r\n\r\n"), 400);
    EXPECT_EQ(status("POST / HTTP/1.1\r\nContent-Length: -1\r\n\r\n"), 400);
    EXPECT_EQ(status("POST / HTTP/1.1\r\nContent-Length: 99999999999999999999\r\n\r\n"), 400);
    EXPECT_EQ(status("POST / HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n"), 411);
}

TEST(RequestExtent, AHeaderBlockByteByByteIsReadOnce) {
    const std::string text = "GET / HTTP/1.1\r\nA: b\r\nC: d\r\n\r\n";
    size_t scanned = 0;
    RequestExtent e;
    for (size_t n = 1; n <= text.size(); ++n) {
        e = measure_request(std::string_view(text).substr(0, n), scanned, {});
        if (n < text.size()) {
            EXPECT_EQ(e.state, RequestExtent::kIncomplete) << n;
        }
        EXPECT_LE(scanned, n);
    }
    EXPECT_EQ(e.state, RequestExtent::kComplete);
    EXPECT_EQ(e.header_bytes, text.size());
}

TEST(Replies, RequestTextsThatAreNotUtf8StillMakeJson) {
    std::string text = json_text({{"error", "no such page: /\xff\xc3("}});
    EXPECT_EQ(text, "{\"error\":\"no such page: /\xef\xbf\xbd\xef\xbf\xbd(\"}");
    EXPECT_EQ(excerpt(std::string(100, 'a'), 10), "aaaaaaaaaa...");
    std::string refusal = refusal_response(431, "too \xff long");
    EXPECT_EQ(refusal.rfind("HTTP/1.1 431 Request Header Fields Too Large\r\n", 0), 0u);
    EXPECT_NE(refusal.find("Connection: close\r\n"), std::string::npos);
    EXPECT_FALSE(nlohmann::json::parse(refusal.substr(refusal.find("\r\n\r\n") + 4), nullptr, false).is_discarded());
    EXPECT_EQ(frame_number("-1"), -1);
    EXPECT_EQ(frame_number("42"), 42);
    EXPECT_FALSE(frame_number("-2"));
    EXPECT_FALSE(frame_number("4x"));
    EXPECT_FALSE(frame_number(""));
    EXPECT_FALSE(frame_number("99999999999999999999"));
}

TEST(Requests, AFieldGivenTwiceIsRefused) {
    auto refusal = [](const char *body) -> std::string {
        try {
            parse_key(body);
        } catch (const RequestError &e) {
            return std::to_string(e.status()) + " " + e.what();
        }
        return "";
    };
    EXPECT_EQ(refusal(R"({"code":45,"code":46})"), "400 the field 'code' is given twice");
    EXPECT_EQ(refusal(R"({"code":45,"modifiers":{"a":1,"a":2}})"), "400 the field 'a' is given twice");
    // The same name in two objects is no duplicate.
    EXPECT_EQ(refusal(R"({"code":45,"modifiers":[{"a":1},{"a":2}]})"), "400 'modifiers' must be a whole number");
    EXPECT_EQ(refusal(R"({"code":45,"modifiers":4})"), "");
    EXPECT_THROW(parse_control(R"({"action":"pause","action":"resume"})", {}), RequestError);
}

}  // namespace
}  // namespace panelhost::live
