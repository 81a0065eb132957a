// A strict RFC 4180 reader that keeps the line and column of every field.
// The text is UTF-8: a leading byte order mark is skipped, and columns count
// characters, not bytes.
#pragma once

#include <string>
#include <utility>
#include <string_view>
#include <vector>

namespace podlib {

struct CsvField {
    std::string text;
    int line;
    int column;  // 1-based, of the field's first character (its quote, if quoted)
    bool quoted = false;
    // Line and column in the file of the character that starts at byte `at` of text.
    std::pair<int, int> position(size_t at) const;
};

class CsvReader {
public:
    // `file` only names the source in error messages.
    CsvReader(std::string_view text, std::string file);
    // The next row into `row`; false at the end of the text. Throws podlib::Error.
    bool next_row(std::vector<CsvField> &row);
    // True when nothing but empty lines is left.
    bool only_empty_lines_left() const;
    [[noreturn]] void fail(int line, int column, const std::string &message) const;

private:
    void advance();

    std::string_view text_;
    std::string file_;
    size_t pos_ = 0;
    int line_ = 1;
    int column_ = 1;
};

}  // namespace podlib
