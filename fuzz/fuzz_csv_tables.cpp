// podtool's CSV tables on arbitrary file contents, read as each of the three
// tables: refused with a podlib::Error naming the file, line and column, or
// read into records that survive the archive's table and CSV again unchanged.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>

#include "archive/podlib.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    for (podlib::Table t : podlib::kAllTables) {
        std::vector<podlib::Record> records;
        try {
            records = podlib::parse_table_csv(t, text, "fuzz.csv");
        } catch (const podlib::Error &e) {
            if (std::string(e.what()).rfind("fuzz.csv:", 0) != 0) __builtin_trap();
            continue;
        }
        if (podlib::decode_table(t, podlib::encode_table(t, records)) != records) __builtin_trap();
        std::ostringstream csv;
        podlib::write_table_csv(t, records, csv);
        if (podlib::parse_table_csv(t, csv.str(), "again.csv") != records) __builtin_trap();
    }
    return 0;
}
