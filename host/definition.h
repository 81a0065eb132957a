// Definition files: the tagged values the host feeds to a plug-in's
// on_read_tag, and the streams that carry them.
//
// Syntax (docs/host-formats.md):
//   # a comment, to the end of the line
//   mes1 {target=elec data=bus1 type=real}
//   auto 3
//   user "any text"
//   Part "Cessna" 65 door "0,0"
//        "Cessna" 66 hatch "0,2"     <- a line that starts with blanks continues the tag
// A tag is one to four characters at the start of a line (shorter codes are
// padded with blanks); its values are numbers, bare words, quoted strings
// and message groups in braces.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "frame/abi.h"

namespace panelhost {

struct Token {
    enum Kind { kWord, kString, kGroup } kind = kWord;
    std::string text;                                         // word or string
    std::vector<std::pair<std::string, std::string>> fields;  // group
    int line = 0;
};

struct Tag {
    uint32_t code = 0;
    std::vector<Token> values;
    int line = 0;
};

struct Definition {
    std::string file;  // where it came from, for messages
    std::vector<Tag> tags;
};

class DefinitionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Parses definition text; errors name the file and line.
Definition parse_definition(const std::string &text, const std::string &file);
// Reads and parses a file.
Definition load_definition(const std::string &path);

// A four-character code from text of one to four characters ("int" gives
// 'int '); nullopt for anything else.
std::optional<uint32_t> code_from_text(const std::string &s);

// The values of one tag being read by a plug-in: what the stream handle
// of on_read_tag points to. Each read service consumes the next value.
class TagCursor {
public:
    TagCursor(const Definition &def, const Tag &tag, std::vector<std::string> &problems)
        : def_(def), tag_(tag), problems_(problems) {}

    void read_int(int32_t *dst);
    void read_float(float *dst);
    void read_string(char *buf, int32_t capacity);
    void read_message(HostMessage *m);

    size_t unread() const { return tag_.values.size() - next_; }
    const Tag &tag() const { return tag_; }

private:
    const Token *take(const char *what);
    void problem(const Token *at, const std::string &what);

    const Definition &def_;
    const Tag &tag_;
    std::vector<std::string> &problems_;
    size_t next_ = 0;
};

// Fills a message record from a group token; throws DefinitionError.
void message_from_group(const Token &group, const std::string &file, HostMessage &m);

}  // namespace panelhost
