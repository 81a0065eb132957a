// The directory of one of the host's ".pod" archives.
#pragma once

#include <cstdint>
#include <memory>

namespace navdata {

struct PodEntry {
    uint32_t data_offset;  // absolute file offset of the entry's contents
    uint32_t name_offset;  // relative to the start of the name block
    char path[256];
};

// Reads the directory once, at construction. An archive that cannot be opened,
// or whose directory does not lie within the file, has no entries.
class PodArchive {
public:
    // The path is relative to the working folder, with the host's backslashes.
    explicit PodArchive(const char *path);
    virtual ~PodArchive();
    PodArchive(const PodArchive &) = delete;
    PodArchive &operator=(const PodArchive &) = delete;

    // Data offset of the first entry whose path is exactly `entry_path`, else 0.
    uint32_t find(const char *entry_path) const;

    int32_t entry_count() const { return entry_count_; }
    uint32_t directory_offset() const { return directory_offset_; }
    const PodEntry &entry(int32_t i) const { return entries_[i]; }
    const char *path() const { return path_; }

private:
    int32_t entry_count_ = 0;
    uint32_t directory_offset_ = 0;
    std::unique_ptr<PodEntry[]> entries_;
    char path_[256];
};

}  // namespace navdata
