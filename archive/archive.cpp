// Writing, listing and extracting archives.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>

#include "archive/layout.h"
#include "archive/podlib.h"

namespace podlib {
namespace {

using pod::kDirectoryAt, pod::kEntryCountAt, pod::kEntryDataAt, pod::kEntryNameAt, pod::kEntrySize, pod::kEntrySizeAt;
constexpr size_t kHeaderSize = pod::kArchiveHeaderSize;

void put_u32(std::vector<uint8_t> &b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + size_t(i)] = uint8_t(v >> (8 * i));
}
uint32_t get_u32(const std::vector<uint8_t> &b, size_t at) {
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}
size_t align8(size_t n) { return (n + 7) & ~size_t(7); }

}  // namespace

std::vector<uint8_t> read_file(const std::string &file) {
    std::error_code ec;
    if (std::filesystem::is_directory(file, ec)) throw Error(file + ": is a folder, not a file");
    errno = 0;
    std::ifstream in(file, std::ios::binary | std::ios::ate);
    if (!in) throw Error(file + ": cannot open" + (errno ? std::string(": ") + std::strerror(errno) : ""));
    const std::streamoff size = in.tellg();
    std::vector<uint8_t> bytes(size > 0 ? size_t(size) : 0);
    in.seekg(0);
    if (!in.read(reinterpret_cast<char *>(bytes.data()), std::streamsize(bytes.size()))) throw Error(file + ": read error");
    return bytes;
}

void write_file_whole(const std::string &file, const void *data, size_t size) {
    const std::string partial = file + ".partial";
    if (std::FILE *f = std::fopen(partial.c_str(), "wb")) {
        const bool written = std::fwrite(data, 1, size, f) == size;
        const int write_error = errno;
        if (std::fclose(f) != 0 || !written) {
            const int error = written ? errno : write_error;
            std::remove(partial.c_str());
            throw Error(file + ": cannot write " + partial + ": " + std::strerror(error));
        }
    } else {
        throw Error(file + ": cannot write " + partial + ": " + std::strerror(errno));
    }
    std::error_code ec;
    std::filesystem::rename(partial, file, ec);
    if (ec) {
        std::remove(partial.c_str());
        throw Error(file + ": cannot replace: " + ec.message());
    }
}

// Header (entry count at 88, directory offset at 264), the entries' data each
// on an 8-byte boundary, the directory, then the name block.
void write_archive(const std::string &file, const std::vector<Entry> &entries) {
    std::set<std::string> paths;
    size_t at = kHeaderSize;
    std::vector<size_t> offsets;
    for (const Entry &e : entries) {
        if (e.path.empty() || e.path.size() > 255) throw Error(file + ": entry path '" + e.path + "' must have 1 to 255 characters");
        if (e.path.find('\0') != std::string::npos) throw Error(file + ": entry path holds a zero byte");
        if (!paths.insert(e.path).second) throw Error(file + ": entry path '" + e.path + "' given twice");
        offsets.push_back(at);
        at = align8(at + e.data.size());
    }
    const size_t directory = at;
    size_t names = directory + kEntrySize * entries.size();
    size_t total = names;
    for (const Entry &e : entries) total += e.path.size() + 1;
    if (total > size_t(INT32_MAX)) throw Error(file + ": archive would exceed 2 GiB");

    std::vector<uint8_t> out(total, 0);
    put_u32(out, kEntryCountAt, uint32_t(entries.size()));
    put_u32(out, kDirectoryAt, uint32_t(directory));
    size_t name_offset = 0;
    for (size_t i = 0; i < entries.size(); ++i) {
        const Entry &e = entries[i];
        if (!e.data.empty()) std::memcpy(&out[offsets[i]], e.data.data(), e.data.size());
        const size_t d = directory + kEntrySize * i;
        put_u32(out, d + kEntryNameAt, uint32_t(name_offset));
        put_u32(out, d + kEntrySizeAt, uint32_t(e.data.size()));
        put_u32(out, d + kEntryDataAt, uint32_t(offsets[i]));
        std::memcpy(&out[names + name_offset], e.path.data(), e.path.size());
        name_offset += e.path.size() + 1;
    }

    write_file_whole(file, out.data(), out.size());
}

namespace {

std::vector<EntryInfo> list_entries(const std::string &file, const std::vector<uint8_t> &b) {
    if (b.size() < kDirectoryAt + 4) throw Error(file + ": too short for an archive header");
    const int64_t count = int32_t(get_u32(b, kEntryCountAt));
    const int64_t directory = get_u32(b, kDirectoryAt);
    if (count < 0) throw Error(file + ": negative entry count");
    const int64_t names = directory + int64_t(kEntrySize) * count;
    if (names > int64_t(b.size())) throw Error(file + ": directory runs past the end of the file");
    std::vector<EntryInfo> list;
    for (int64_t i = 0; i < count; ++i) {
        const size_t d = size_t(directory + int64_t(kEntrySize) * i);
        const int64_t name_at = names + get_u32(b, d + kEntryNameAt);
        const uint32_t size = get_u32(b, d + kEntrySizeAt), offset = get_u32(b, d + kEntryDataAt);
        if (name_at >= int64_t(b.size())) throw Error(file + ": name of entry " + std::to_string(i + 1) + " lies past the end of the file");
        const char *name = reinterpret_cast<const char *>(&b[size_t(name_at)]);
        const size_t length = strnlen(name, std::min<size_t>(256, b.size() - size_t(name_at)));
        if (length == 256 || size_t(name_at) + length == b.size())
            throw Error(file + ": name of entry " + std::to_string(i + 1) + " is not terminated");
        if (int64_t(offset) + size > int64_t(b.size()))
            throw Error(file + ": data of entry " + std::to_string(i + 1) + " runs past the end of the file");
        list.push_back(EntryInfo{std::string(name, length), offset, size});
    }
    return list;
}

}  // namespace

std::vector<EntryInfo> list_archive(const std::string &file) { return list_entries(file, read_file(file)); }

std::vector<uint8_t> extract_entry(const std::string &file, const std::string &entry_path) {
    const std::vector<uint8_t> b = read_file(file);
    for (const EntryInfo &e : list_entries(file, b)) {
        if (e.path != entry_path) continue;
        return std::vector<uint8_t>(b.begin() + e.data_offset, b.begin() + e.data_offset + e.size);
    }
    throw Error(file + ": no entry '" + entry_path + "'");
}

}  // namespace podlib
