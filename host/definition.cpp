#include "host/definition.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "frame/message.h"
#include "host/log.h"

namespace panelhost {
namespace {

[[noreturn]] void fail(const std::string &file, int line, const std::string &what) {
    throw DefinitionError(file + ":" + std::to_string(line) + ": " + what);
}

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// Splits one line into tokens; `pos` starts after the tag, if any.
void tokenize(const std::string &line, size_t pos, int number, const std::string &file,
              std::vector<Token> &out) {
    while (true) {
        while (pos < line.size() && is_blank(line[pos])) ++pos;
        if (pos >= line.size() || line[pos] == '#') return;
        Token t;
        t.line = number;
        if (line[pos] == '"') {
            t.kind = Token::kString;
            ++pos;
            bool closed = false;
            while (pos < line.size()) {
                char c = line[pos++];
                if (c == '"') {
                    closed = true;
                    break;
                }
                if (c == '\\' && pos < line.size()) c = line[pos++];
                t.text += c;
            }
            if (!closed) fail(file, number, "unterminated string");
        } else if (line[pos] == '{') {
            t.kind = Token::kGroup;
            size_t end = line.find('}', pos);
            if (end == std::string::npos) fail(file, number, "message group without '}'");
            std::istringstream fields(line.substr(pos + 1, end - pos - 1));
            std::string field;
            while (fields >> field) {
                size_t eq = field.find('=');
                if (eq == std::string::npos || eq == 0)
                    fail(file, number, "message field '" + field + "' is not name=value");
                t.fields.emplace_back(field.substr(0, eq), field.substr(eq + 1));
            }
            pos = end + 1;
        } else {
            size_t start = pos;
            while (pos < line.size() && !is_blank(line[pos]) && line[pos] != '#') ++pos;
            t.text = line.substr(start, pos - start);
        }
        out.push_back(std::move(t));
    }
}

}  // namespace

std::optional<uint32_t> code_from_text(const std::string &s) {
    if (s.empty() || s.size() > 4) return std::nullopt;
    char c[5] = {' ', ' ', ' ', ' ', '\0'};
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] < 32 || s[i] > 126) return std::nullopt;
        c[i] = s[i];
    }
    return fourcc(c);
}

Definition parse_definition(const std::string &text, const std::string &file) {
    Definition def;
    def.file = file;
    std::istringstream in(text);
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        size_t first = 0;
        while (first < line.size() && is_blank(line[first])) ++first;
        if (first == line.size() || line[first] == '#') continue;
        if (first > 0) {
            if (def.tags.empty()) fail(file, number, "values before the first tag");
            tokenize(line, first, number, file, def.tags.back().values);
            continue;
        }
        size_t end = 0;
        while (end < line.size() && !is_blank(line[end]) && line[end] != '#') ++end;
        std::string name = line.substr(0, end);
        auto code = code_from_text(name);
        if (!code) fail(file, number, "tag '" + name + "' is not one to four characters");
        Tag tag;
        tag.code = *code;
        tag.line = number;
        tokenize(line, end, number, file, tag.values);
        def.tags.push_back(std::move(tag));
    }
    // Groups are checked now, so that a bad one is reported at load time.
    for (const Tag &tag : def.tags)
        for (const Token &t : tag.values)
            if (t.kind == Token::kGroup) {
                HostMessage m{};
                message_from_group(t, file, m);
            }
    return def;
}

Definition load_definition(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw DefinitionError(path + ": cannot open: " + std::strerror(errno));
    std::ostringstream text;
    text << in.rdbuf();
    return parse_definition(text.str(), path);
}

void message_from_group(const Token &group, const std::string &file, HostMessage &m) {
    m = HostMessage{};
    for (const auto &[name, value] : group.fields) {
        auto code = code_from_text(value);
        if (name == "target" || name == "data") {
            if (!code) fail(file, group.line, "message " + name + " '" + value + "' is not a code of 1-4 characters");
            (name == "target" ? m.target : m.data_tag) = *code;
        } else if (name == "type") {
            if (value != "int" && value != "real") fail(file, group.line, "message type must be int or real");
            m.value_type = value == "int" ? frame::kTypeInt : frame::kTypeReal;
        } else if (name == "request") {
            if (value != "getd" && value != "setd") fail(file, group.line, "message request must be getd or setd");
            m.request = *code;
        } else if (name == "number") {
            char *end = nullptr;
            errno = 0;
            long n = std::strtol(value.c_str(), &end, 0);
            if (value.empty() || *end != '\0' || errno != 0 || n < INT32_MIN || n > INT32_MAX)
                fail(file, group.line, "message number '" + value + "' is not an integer");
            m.number = int32_t(n);
        } else {
            fail(file, group.line, "unknown message field '" + name + "'");
        }
    }
}

const Token *TagCursor::take(const char *what) {
    if (next_ >= tag_.values.size()) {
        problem(nullptr, std::string("expected ") + what + ", but the tag has no more values");
        return nullptr;
    }
    return &tag_.values[next_++];
}

void TagCursor::problem(const Token *at, const std::string &what) {
    problems_.push_back(def_.file + ":" + std::to_string(at ? at->line : tag_.line) + ": tag " +
                        code_text(tag_.code) + ": " + what);
}

void TagCursor::read_int(int32_t *dst) {
    const Token *t = take("an integer");
    if (t == nullptr || dst == nullptr) return;
    char *end = nullptr;
    errno = 0;
    long long v = std::strtoll(t->text.c_str(), &end, 0);
    if (t->kind == Token::kGroup || t->text.empty() || *end != '\0' || errno != 0 || v < INT32_MIN ||
        v > INT32_MAX) {
        problem(t, "expected an integer, found '" + t->text + "'");
        *dst = 0;
        return;
    }
    *dst = int32_t(v);
}

void TagCursor::read_float(float *dst) {
    const Token *t = take("a number");
    if (t == nullptr || dst == nullptr) return;
    char *end = nullptr;
    float v = std::strtof(t->text.c_str(), &end);
    if (t->kind == Token::kGroup || t->text.empty() || *end != '\0' || !std::isfinite(v)) {
        problem(t, "expected a number, found '" + t->text + "'");
        *dst = 0.0f;
        return;
    }
    *dst = v;
}

void TagCursor::read_string(char *buf, int32_t capacity) {
    const Token *t = take("a string");
    if (t == nullptr || buf == nullptr || capacity <= 0) return;
    if (t->kind == Token::kGroup) problem(t, "expected a string, found a message group");
    size_t n = std::min(t->text.size(), size_t(capacity) - 1);
    if (n < t->text.size())
        problem(t, "string of " + std::to_string(t->text.size()) + " characters cut to " + std::to_string(n));
    std::memcpy(buf, t->text.data(), n);
    buf[n] = '\0';
}

void TagCursor::read_message(HostMessage *m) {
    const Token *t = take("a message group");
    if (t == nullptr || m == nullptr) return;
    if (t->kind != Token::kGroup) {
        problem(t, "expected a message group {target=... data=... type=...}, found '" + t->text + "'");
        return;
    }
    try {
        message_from_group(*t, def_.file, *m);
    } catch (const DefinitionError &e) {  // never let it reach the plug-in's frame
        problems_.emplace_back(e.what());
    }
}

}  // namespace panelhost
