#include "navdata/pod_archive.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "archive/layout.h"
#include "navdata/binary_file.h"
#include "navdata/files.h"

namespace navdata {
namespace {

constexpr int64_t kEntryCountAt = int64_t(pod::kEntryCountAt);
constexpr int64_t kDirectoryAt = int64_t(pod::kDirectoryAt);
constexpr int64_t kEntrySize = int64_t(pod::kEntrySize);

}  // namespace

// The counts and offsets come from the file and are checked against its size
// before anything is allocated or read: a directory that does not lie wholly
// within the file leaves the archive empty.
PodArchive::PodArchive(const char *path) {
    std::snprintf(path_, sizeof path_, "%s", path);
    std::FILE *f = open_host_file(path_, "rb");
    if (f == nullptr) return;
    int32_t count = 0, directory = 0;
    const int64_t size = file_size(f);
    const bool header_ok = size >= 0 && read_i32_at(f, kEntryCountAt, &count) &&
                           read_i32_at(f, kDirectoryAt, &directory);
    const int64_t names_at = int64_t(uint32_t(directory)) + kEntrySize * int64_t(count);
    if (!header_ok || count <= 0 || names_at > size) {
        std::fclose(f);
        return;
    }
    const int64_t name_block = size - names_at;
    auto table = std::make_unique<unsigned char[]>(size_t(kEntrySize * count));
    if (!read_at(f, uint32_t(directory), table.get(), size_t(kEntrySize * count))) {
        std::fclose(f);
        return;
    }
    auto entries = std::make_unique<PodEntry[]>(size_t(count));
    for (int32_t i = 0; i < count; ++i) {
        PodEntry &e = entries[i];
        e.name_offset = load_u32(&table[size_t(kEntrySize * i) + pod::kEntryNameAt]);
        e.data_offset = load_u32(&table[size_t(kEntrySize * i) + pod::kEntryDataAt]);
        // The name is taken as far as the file goes and always ends within its field.
        std::memset(e.path, 0, sizeof e.path);
        if (int64_t(e.name_offset) < name_block) {
            const size_t n = size_t(std::min<int64_t>(sizeof e.path - 1, name_block - e.name_offset));
            if (!read_at(f, names_at + e.name_offset, e.path, n)) e.path[0] = '\0';
        }
    }
    std::fclose(f);
    entry_count_ = count;
    directory_offset_ = uint32_t(directory);
    entries_ = std::move(entries);
}

PodArchive::~PodArchive() = default;

uint32_t PodArchive::find(const char *entry_path) const {
    for (int32_t i = 0; i < entry_count_; ++i)
        if (std::strcmp(entries_[i].path, entry_path) == 0) return entries_[i].data_offset;
    return 0;
}

}  // namespace navdata
