// The three table loaders and the lookups by key.
#include <algorithm>
#include <cstring>
#include <memory>

#include "frame/host_api.h"
#include "navdata/binary_file.h"
#include "navdata/files.h"
#include "navdata/navdata.h"
#include "navdata/pod_archive.h"

namespace navdata {
namespace {

constexpr int64_t kHeaderSize = 56;
constexpr int64_t kCountAt = 16;
constexpr int64_t kRecordSizeAt = 20;
constexpr size_t kChunkBytes = 64 * 1024;

// Copies a text field of the file up to its terminator; it always ends within
// the destination, also when the file's field has no terminator.
template <size_t N>
void copy_text(char (&dst)[N], const unsigned char *src, size_t width) {
    const size_t n = strnlen(reinterpret_cast<const char *>(src), std::min(width, N - 1));
    std::memcpy(dst, src, n);
    dst[n] = '\0';
}

double load_double(const unsigned char *p) {
    double d;
    std::memcpy(&d, p, sizeof d);  // the files are little-endian, as are the targets
    return d;
}

void parse(const unsigned char *r, AirportRecord &out) {
    copy_text(out.key, r + 4, 10);
    copy_text(out.identifier, r + 14, 5);
    copy_text(out.name, r + 19, 40);
    out.variation = load_double(r + 59);
}

void parse(const unsigned char *r, NavaidRecord &out) {
    copy_text(out.key, r + 4, 10);
    copy_text(out.identifier, r + 14, 5);
    copy_text(out.name, r + 19, 40);
    out.variation = load_double(r + 67);
}

void parse(const unsigned char *r, WaypointRecord &out) {
    copy_text(out.key, r + 4, 10);
    copy_text(out.name, r + 14, 26);
    out.variation = load_double(r + 71);
}

// Bytes of a record that the parser reads.
template <class Record>
constexpr int64_t kExtent = 0;
template <>
constexpr int64_t kExtent<AirportRecord> = 67;
template <>
constexpr int64_t kExtent<NavaidRecord> = 75;
template <>
constexpr int64_t kExtent<WaypointRecord> = 79;

// Reads `count` records of `size` bytes starting at `at`, a chunk of whole
// records at a time. The caller has checked that they lie within the file.
template <class Record>
bool read_records(std::FILE *f, int64_t at, int32_t count, int32_t size, std::vector<Record> &list) {
    if (count == 0) return true;
    const size_t per_chunk = std::max<size_t>(1, kChunkBytes / size_t(size));
    auto chunk = std::make_unique<unsigned char[]>(per_chunk * size_t(size));
    list.resize(size_t(count));
    if (std::fseek(f, long(at), SEEK_SET) != 0) return false;
    for (size_t done = 0; done < size_t(count);) {
        const size_t n = std::min(per_chunk, size_t(count) - done);
        if (std::fread(chunk.get(), size_t(size), n, f) != n) return false;
        for (size_t i = 0; i < n; ++i) parse(&chunk[i * size_t(size)], list[done + i]);
        done += n;
    }
    return true;
}

// The table's header and records are checked against the file's size before
// anything is allocated: a negative count, a record shorter than the fields
// read, or records that run past the end of the file load nothing.
template <class Record>
int load_table(const char *archive_path, const char *entry_path, std::vector<Record> &list, KeyIndex &index) {
    const uint32_t data = PodArchive(archive_path).find(entry_path);
    list.clear();
    index.clear();
    std::FILE *f = open_host_file(archive_path, "rb");
    if (f == nullptr) return 0;
    int32_t count = 0, size = 0;
    const int64_t file = file_size(f);
    bool ok = data != 0 && file >= 0 && read_i32_at(f, int64_t(data) + kCountAt, &count) &&
              read_i32_at(f, int64_t(data) + kRecordSizeAt, &size) && count >= 0 &&
              int64_t(data) + kHeaderSize <= file;
    const int64_t records_at = int64_t(data) + kHeaderSize;
    ok = ok && (count == 0 || (size >= kExtent<Record> && records_at + int64_t(count) * size <= file));
    ok = ok && read_records(f, records_at, count, size, list);
    std::fclose(f);
    if (!ok) {
        list.clear();
        return 0;
    }
    index.build(list.data(), sizeof(Record), list.size(), sizeof(Record::key));
    return 1;
}

// The first record of the key in load order, or null.
template <class Record>
const Record *lookup(const std::vector<Record> &list, const KeyIndex &index, const char *key) {
    const long i = index.find(key);
    return i < 0 ? nullptr : &list[size_t(i)];
}

}  // namespace

int NavData::load_airports() { return load_table(AIRPORT_ARCHIVE, AIRPORT_ENTRY, airports_, airport_index_); }
int NavData::load_navaids() { return load_table(NAVAID_ARCHIVE, NAVAID_ENTRY, navaids_, navaid_index_); }
int NavData::load_waypoints() {
    return load_table(WAYPOINT_ARCHIVE, WAYPOINT_ENTRY, waypoints_, waypoint_index_);
}

double NavData::airport_by_key(const char *key, char *identifier) {
    const AirportRecord *r = lookup(airports_, airport_index_, key);
    if (r == nullptr) return 0.0;
    std::memcpy(identifier, r->identifier, sizeof r->identifier);
    return r->variation;
}

double NavData::navaid_by_key(const char *key, char *identifier) {
    const NavaidRecord *r = lookup(navaids_, navaid_index_, key);
    if (r == nullptr) return 0.0;
    std::memcpy(identifier, r->identifier, sizeof r->identifier);
    return r->variation;
}

double NavData::waypoint_by_key(const char *key) {
    const WaypointRecord *r = lookup(waypoints_, waypoint_index_, key);
    return r == nullptr ? 0.0 : r->variation;
}

float NavData::current_variation() {
    host_get_user_object(&user_object_);
    if (host_object_get_value_282(&user_object_, &variation_) == 0) variation_ = 0.0f;
    return variation_;
}

}  // namespace navdata
