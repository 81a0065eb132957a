#include "archive/csv.h"

#include "archive/podlib.h"

namespace podlib {

namespace {

bool continuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

}  // namespace

std::pair<int, int> CsvField::position(size_t at) const {
    int l = line, c = column + (quoted ? 1 : 0);
    for (size_t i = 0; i < at && i < text.size(); ++i) {
        if (text[i] == '\n') {
            ++l;
            c = 1;
        } else if (text[i] == '"') {
            c += 2;  // written doubled inside the quotes
        } else if (!continuation(text[i])) {
            ++c;
        }
    }
    return {l, c};
}

CsvReader::CsvReader(std::string_view text, std::string file) : text_(text), file_(std::move(file)) {
    if (text_.substr(0, 3) == "\xEF\xBB\xBF") {
        pos_ = 3;
    } else if (text_.substr(0, 2) == "\xFF\xFE" || text_.substr(0, 2) == "\xFE\xFF") {
        fail(1, 1, "the file is UTF-16; save it as UTF-8");
    }
}

void CsvReader::fail(int line, int column, const std::string &message) const {
    throw Error(file_ + ":" + std::to_string(line) + ":" + std::to_string(column) + ": " + message);
}

void CsvReader::advance() {
    if (text_[pos_] == '\n') {
        ++line_;
        column_ = 1;
    } else if (!continuation(text_[pos_])) {
        ++column_;
    }
    ++pos_;
}

bool CsvReader::only_empty_lines_left() const {
    return text_.find_first_not_of("\r\n", pos_) == std::string_view::npos;
}

bool CsvReader::next_row(std::vector<CsvField> &row) {
    row.clear();
    if (pos_ >= text_.size()) return false;
    for (;;) {
        CsvField field{std::string(), line_, column_, false};
        if (pos_ < text_.size() && text_[pos_] == '"') {
            field.quoted = true;
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
