// The definition text (a gauge's definition, the part animation file) on
// arbitrary bytes: parsed, or refused with a DefinitionError naming the file
// and line; then every tag read value by value as a plug-in reads it, and
// the part animation's keys as the live page lists them.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "host/definition.h"
#include "host/serve/key_bindings.h"

namespace {

using namespace panelhost;

// Reads each value as the kind it looks like, and then once more than
// there are: problems are collected, never thrown.
void read_all(const Definition &def, const Tag &tag) {
    std::vector<std::string> problems;
    TagCursor cursor(def, tag, problems);
    for (const Token &t : tag.values) {
        if (t.kind == Token::kGroup) {
            HostMessage m{};
            cursor.read_message(&m);
        } else if (t.kind == Token::kString) {
            char text[16];
            std::memset(text, 'x', sizeof text);
            cursor.read_string(text, sizeof text);
            if (strnlen(text, sizeof text) == sizeof text) __builtin_trap();  // always terminated
        } else if (t.text.find('.') != std::string::npos) {
            float f = 0;
            cursor.read_float(&f);
        } else {
            int32_t n = 0;
            cursor.read_int(&n);
        }
    }
    int32_t past = 0;
    cursor.read_int(&past);
    if (cursor.unread() != 0 || problems.empty()) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string text(reinterpret_cast<const char *>(data), size);
    try {
        Definition def = parse_definition(text, "fuzz.txt");
        for (const Tag &tag : def.tags) read_all(def, tag);
    } catch (const DefinitionError &e) {
        if (std::string(e.what()).rfind("fuzz.txt:", 0) != 0) __builtin_trap();
    }
    Scenario s;
    s.file = "fuzz.toml";
    s.aircraft = "Skylane";
    PanelItem parts;
    parts.plugin = "partanim";
    s.panel = {parts};
    s.partanim = text;
    for (const live::KeyBinding &b : live::key_bindings(s))
        if (live::key_name(b.code, b.modifiers, b.any_modifiers).empty()) __builtin_trap();
    return 0;
}
