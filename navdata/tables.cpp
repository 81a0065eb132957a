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

constexpr int64_t kHeaderSize = int64_t(pod::kTableHeaderSize);
constexpr int64_t kCountAt = int64_t(pod::kCountAt);
constexpr int64_t kRecordSizeAt = int64_t(pod::kRecordSizeAt);
constexpr size_t kChunkBytes = 256 * 1024;

// A text field of the file into a zeroed destination: its first `width`
// bytes, cut so that it ends within the destination. Bytes after the file's
// terminator are copied too; only the key, which is hashed whole, is cleared
// past its terminator.
template <size_t Width, size_t N>
void copy_field(char (&dst)[N], const unsigned char *src) {
    constexpr size_t n = Width < N - 1 ? Width : N - 1;
    std::memcpy(dst, src, n);
}

// The key as two words, cleared past its terminator and cut to nine
// characters; written and hashed from the same registers.
uint32_t copy_key(char (&dst)[KeyIndex::kKeyWidth], const unsigned char *src) {
    uint64_t head;
    std::memcpy(&head, src, 8);
    uint16_t tail = src[8];
    const uint64_t zeros = (head - 0x0101010101010101ull) & ~head & 0x8080808080808080ull;
    if (zeros != 0) {
        // The lowest flagged byte is the first zero byte; those above it may not be.
        const int first = __builtin_ctzll(zeros) / 8;
        head &= first == 0 ? 0 : ~0ull >> (64 - 8 * first);
        tail = 0;
    }
    std::memcpy(dst, &head, 8);
    std::memcpy(dst + 8, &tail, 2);
    return KeyIndex::hash(head, tail);
}

double load_double(const unsigned char *p) {
    double d;
    std::memcpy(&d, p, sizeof d);  // the files are little-endian, as are the targets
    return d;
}

// Each parser fills a zeroed record and returns the hash of its key.
constexpr const pod::RecordLayout &A = pod::kAirport, &N = pod::kNavaid, &W = pod::kWaypoint;

uint32_t parse(const unsigned char *r, AirportRecord &out) {
    copy_field<A.identifier_width>(out.identifier, r + A.identifier);
    copy_field<A.name_width>(out.name, r + A.name);
    out.variation = load_double(r + A.variation);
    return copy_key(out.key, r + A.key);
}

uint32_t parse(const unsigned char *r, NavaidRecord &out) {
    copy_field<N.identifier_width>(out.identifier, r + N.identifier);
    copy_field<N.name_width>(out.name, r + N.name);
    out.variation = load_double(r + N.variation);
    return copy_key(out.key, r + N.key);
}

uint32_t parse(const unsigned char *r, WaypointRecord &out) {
    copy_field<W.name_width>(out.name, r + W.name);
    out.variation = load_double(r + W.variation);
    return copy_key(out.key, r + W.key);
}

static_assert(sizeof(AirportRecord::key) == KeyIndex::kKeyWidth && sizeof(NavaidRecord::key) == KeyIndex::kKeyWidth &&
              sizeof(WaypointRecord::key) == KeyIndex::kKeyWidth);

// Bytes of a record that the parser reads.
template <class Record>
constexpr int64_t kExtent = 0;
template <>
constexpr int64_t kExtent<AirportRecord> = int64_t(A.variation + sizeof(double));
template <>
constexpr int64_t kExtent<NavaidRecord> = int64_t(N.variation + sizeof(double));
template <>
constexpr int64_t kExtent<WaypointRecord> = int64_t(W.variation + sizeof(double));
static_assert(kExtent<AirportRecord> == 67 && kExtent<NavaidRecord> == 75 && kExtent<WaypointRecord> == 79);

// Reads `count` records of `size` bytes starting at `at`, a chunk of whole
// records at a time, and indexes each chunk while it is in the cache. The
// caller has checked that the records lie within the file.
template <class Record>
bool read_records(std::FILE *f, int64_t at, int32_t count, int32_t size, std::vector<Record> &list,
                  KeyIndex &index) {
    list.reserve(size_t(count));
    index.reset(list.data(), sizeof(Record), size_t(count));
    if (count == 0) return true;
    const size_t per_chunk = std::max<size_t>(1, kChunkBytes / size_t(size));
    auto chunk = std::make_unique<unsigned char[]>(per_chunk * size_t(size));
    auto hashes = std::make_unique<uint32_t[]>(per_chunk);
    if (std::fseek(f, long(at), SEEK_SET) != 0) return false;
    for (size_t done = 0; done < size_t(count);) {
        const size_t n = std::min(per_chunk, size_t(count) - done);
        if (std::fread(chunk.get(), size_t(size), n, f) != n) return false;
        for (size_t i = 0; i < n; ++i) {
            hashes[i] = parse(&chunk[i * size_t(size)], list.emplace_back());
        }
        index.add(uint32_t(done), hashes.get(), n);
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
    ok = ok && read_records(f, records_at, count, size, list, index);
    std::fclose(f);
    if (!ok) {
        list.clear();
        index.clear();
        return 0;
    }
    return 1;
}

// The first record of the key in load order, or null.
template <class Record>
const Record *lookup(const std::vector<Record> &list, const KeyIndex &index, const char *key) {
    const long i = index.find(key);
    return i < 0 ? nullptr : &list[size_t(i)];
}

}  // namespace

int NavData::load_airports() { return load_table(kAirportArchive, kAirportEntry, airports_, airport_index_); }
int NavData::load_navaids() { return load_table(kNavaidArchive, kNavaidEntry, navaids_, navaid_index_); }
int NavData::load_waypoints() {
    return load_table(kWaypointArchive, kWaypointEntry, waypoints_, waypoint_index_);
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
