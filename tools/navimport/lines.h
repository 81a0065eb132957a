// Reading the text of a navigation data file line by line: plain or
// gzip-compressed, with LF or CR LF line ends, in UTF-8 or (line by line,
// where a line is not UTF-8) Latin-1; and the blank-separated fields of a line.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace navimport {

class Lines {
public:
    // The file's lines, decompressed on the fly when it is gzip-compressed.
    // Throws podlib::Error naming the file and the system's reason.
    explicit Lines(const std::string &file);
    // The lines of text in memory; `name` stands for the file in messages.
    Lines(std::string_view text, std::string name);
    ~Lines();
    Lines(const Lines &) = delete;
    Lines &operator=(const Lines &) = delete;

    // The next line without its line end, valid until the next call; false
    // at the end of the text. Throws podlib::Error when the file cannot be
    // read or decompressed, or holds a line longer than 16 MiB.
    bool next(std::string_view &line);
    // The line last returned is returned once more by the next call.
    void again() { again_ = true; }
    long number() const { return number_; }  // of the line last returned, from 1
    const std::string &name() const { return name_; }
    // "file:line:column: " for a message about the last line.
    std::string where(size_t column = 0) const;

private:
    bool fill();

    std::string name_;
    void *gz_ = nullptr;  // gzFile of a file; null for text in memory
    std::string buffer_;
    size_t begin_ = 0, end_ = 0;
    bool at_end_ = false;
    bool again_ = false;
    std::string_view last_;
    long number_ = 0;
};

// The whole text of a file, decompressed when it is gzip-compressed.
std::string read_whole(const std::string &file);

// A line's text in the archives' code page 1252: UTF-8 when the line is valid
// UTF-8, else each byte as Latin-1 (which code page 1252 extends). A
// character the code page lacks, or a control character, becomes '?' and sets
// `replaced`.
std::string to_cp1252(std::string_view raw, bool &replaced);
// A line's text as UTF-8, by the same rule.
std::string to_utf8(std::string_view raw);

// The fields of a line, separated by runs of blanks (spaces and tabs), each
// with the column it starts at.
class Fields {
public:
    void split(std::string_view line);
    size_t size() const { return fields_.size(); }
    std::string_view operator[](size_t i) const { return fields_[i]; }
    size_t column(size_t i) const { return size_t(fields_[i].data() - line_.data()) + 1; }
    // The line from field i to its end, trailing blanks removed: a name that
    // runs to the end of the line. Empty when there is no field i.
    std::string_view rest(size_t i) const;

private:
    std::string_view line_;
    std::vector<std::string_view> fields_;
};

// The first blank-separated field of a line (empty for a blank line).
std::string_view first_field(std::string_view line);
// Numbers as the data files write them: decimals, leading zeros and a sign
// allowed ("-013.12500000", "+44.0"); false for anything else.
bool parse_number(std::string_view text, double &out);
bool parse_integer(std::string_view text, long &out);

}  // namespace navimport
