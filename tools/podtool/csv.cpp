#include "tools/podtool/csv.h"

#include "tools/podtool/podlib.h"

namespace podlib {

CsvReader::CsvReader(std::string_view text, std::string file) : text_(text), file_(std::move(file)) {}

void CsvReader::fail(int line, int column, const std::string &message) const {
    throw Error(file_ + ":" + std::to_string(line) + ":" + std::to_string(column) + ": " + message);
}

void CsvReader::advance() {
    if (text_[pos_] == '\n') {
        ++line_;
        column_ = 1;
    } else {
        ++column_;
    }
    ++pos_;
}

bool CsvReader::next_row(std::vector<CsvField> &row) {
    row.clear();
    if (pos_ >= text_.size()) return false;
    for (;;) {
        CsvField field{std::string(), line_, column_};
        if (pos_ < text_.size() && text_[pos_] == '"') {
            advance();
            for (;;) {
                if (pos_ >= text_.size()) fail(field.line, field.column, "unterminated quoted field");
                if (text_[pos_] == '"') {
                    advance();
                    if (pos_ < text_.size() && text_[pos_] == '"') {
                        field.text += '"';
                        advance();
                        continue;
                    }
                    break;
                }
                field.text += text_[pos_];
                advance();
            }
        } else {
            while (pos_ < text_.size() && text_[pos_] != ',' && text_[pos_] != '\n' && text_[pos_] != '\r') {
                if (text_[pos_] == '"') fail(line_, column_, "quote inside an unquoted field");
                field.text += text_[pos_];
                advance();
            }
        }
        row.push_back(std::move(field));
        if (pos_ >= text_.size()) return true;
        const char c = text_[pos_];
        if (c == ',') {
            advance();
            continue;
        }
        if (c == '\r') {
            if (pos_ + 1 >= text_.size() || text_[pos_ + 1] != '\n') fail(line_, column_, "carriage return without line feed");
            advance();
        }
        if (text_[pos_] == '\n') {
            advance();
            return true;
        }
        fail(line_, column_, "expected ',' or end of line after the closing quote");
    }
}

}  // namespace podlib
