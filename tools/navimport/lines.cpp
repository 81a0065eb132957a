#include "tools/navimport/lines.h"

#include <zlib.h>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>

#include "archive/cp1252.h"
#include "archive/podlib.h"

namespace navimport {
namespace {

constexpr size_t kChunk = size_t(1) << 20;
constexpr size_t kLongestLine = size_t(16) << 20;

gzFile as_gz(void *p) { return static_cast<gzFile>(p); }

bool blank(char c) { return c == ' ' || c == '\t'; }

// Whether the whole text is well-formed UTF-8.
bool utf8(std::string_view s) {
    for (size_t at = 0; at < s.size();) {
        const size_t n = podlib::utf8_at(s, at).second;
        if (n == 0) return false;
        at += n;
    }
    return true;
}

}  // namespace

Lines::Lines(const std::string &file) : name_(file) {
    // gzopen reads a file that is not compressed as it is.
    gz_ = gzopen(file.c_str(), "rb");
    if (gz_ == nullptr) {
        const int error = errno;
        throw podlib::Error(file + ": cannot open: " + (error ? std::strerror(error) : "out of memory"));
    }
    gzbuffer(as_gz(gz_), 256 * 1024);
}

Lines::Lines(std::string_view text, std::string name) : name_(std::move(name)), buffer_(text), end_(text.size()) {
    at_end_ = true;
}

Lines::~Lines() {
    if (gz_ != nullptr) gzclose(as_gz(gz_));
}

std::string Lines::where(size_t column) const {
    std::string w = name_ + ":" + std::to_string(number_);
    if (column > 0) w += ":" + std::to_string(column);
    return w + ": ";
}

// Moves what is left to the front of the buffer and reads the next chunk
// after it; false when nothing more came.
bool Lines::fill() {
    if (at_end_) return false;
    buffer_.erase(0, begin_);
    end_ -= begin_;
    begin_ = 0;
    if (end_ >= kLongestLine)
        throw podlib::Error(name_ + ":" + std::to_string(number_ + 1) + ": a line longer than 16 MiB: not a text file of navigation data");
    buffer_.resize(end_ + kChunk);
    const int got = gzread(as_gz(gz_), buffer_.data() + end_, unsigned(kChunk));
    int code = Z_OK;
    const char *message = gzerror(as_gz(gz_), &code);
    if (got < 0 || (code != Z_OK && code != Z_BUF_ERROR)) throw podlib::Error(name_ + ": cannot read: " + message);
    if (got == 0) {
        at_end_ = true;
        // A gzip stream that stops before its end: a cut download, say.
        if (code == Z_BUF_ERROR) throw podlib::Error(name_ + ": the compressed data ends early (is the file cut short?)");
    }
    end_ += size_t(got > 0 ? got : 0);
    buffer_.resize(end_);
    return got > 0;
}

bool Lines::next(std::string_view &line) {
    if (again_) {
        again_ = false;
        line = last_;
        return true;
    }
    size_t searched = begin_;
    for (;;) {
        const char *from = buffer_.data() + searched;
        const void *lf = std::memchr(from, '\n', end_ - searched);
        if (lf != nullptr) {
            const size_t at = size_t(static_cast<const char *>(lf) - buffer_.data());
            line = std::string_view(buffer_.data() + begin_, at - begin_);
            begin_ = at + 1;
            break;
        }
        const size_t kept = end_ - begin_;
        if (!fill()) {
            if (begin_ == end_) return false;
            line = std::string_view(buffer_.data() + begin_, end_ - begin_);
            begin_ = end_;
            break;
        }
        searched = begin_ + kept;
    }
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    ++number_;
    last_ = line;
    return true;
}

std::string read_whole(const std::string &file) {
    Lines lines(file);
    std::string text;
    std::string_view line;
    while (lines.next(line)) {
        text.append(line);
        text += '\n';
    }
    return text;
}

std::string to_cp1252(std::string_view raw, bool &replaced) {
    std::string out;
    out.reserve(raw.size());
    if (utf8(raw)) {
        for (size_t at = 0; at < raw.size();) {
            const auto [c, n] = podlib::utf8_at(raw, at);
            const unsigned char b = podlib::cp1252_byte(c);
            if (b == 0) replaced = true;
            out += b == 0 ? '?' : char(b);
            at += n;
        }
    } else {
        for (unsigned char b : raw) {
            const bool ok = podlib::cp1252_printable(b);
            if (!ok) replaced = true;
            out += ok ? char(b) : '?';
        }
    }
    return out;
}

std::string to_utf8(std::string_view raw) {
    if (utf8(raw)) return std::string(raw);
    return podlib::utf8_from_cp1252(raw);
}

void Fields::split(std::string_view line) {
    line_ = line;
    fields_.clear();
    size_t at = 0;
    while (at < line.size()) {
        while (at < line.size() && blank(line[at])) ++at;
        const size_t start = at;
        while (at < line.size() && !blank(line[at])) ++at;
        if (at > start) fields_.push_back(line.substr(start, at - start));
    }
}

std::string_view Fields::rest(size_t i) const {
    if (i >= fields_.size()) return {};
    std::string_view r = line_.substr(size_t(fields_[i].data() - line_.data()));
    while (!r.empty() && blank(r.back())) r.remove_suffix(1);
    return r;
}

std::string_view first_field(std::string_view line) {
    size_t at = 0;
    while (at < line.size() && blank(line[at])) ++at;
    size_t end = at;
    while (end < line.size() && !blank(line[end])) ++end;
    return line.substr(at, end - at);
}

bool parse_number(std::string_view text, double &out) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return false;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc() && ptr == text.data() + text.size() && std::isfinite(out);
}

bool parse_integer(std::string_view text, long &out) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return false;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc() && ptr == text.data() + text.size();
}

}  // namespace navimport
