#include "app/core/PreviewCache.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <type_traits>
#include <unistd.h>
#include <utility>
#include <vector>
#include <zlib.h>

#include "toolkit/core/Quor_Folder.h"
#include "toolkit/core/Quor_Status.h"
#include "toolkit/imaging/formats/Quor_ImageIo.h"

namespace {

// An entry: the magic, a byte-order mark, the key's length and bytes, the width and height, the
// CRC-32 of the pixels and the pixels, 32 bits each, rows in order without padding. Previews
// are made on this machine for this machine, so numbers are stored as the machine holds them;
// an entry from elsewhere fails the byte-order mark and is decoded afresh.
constexpr char kMagic[8] = {'Q', 'P', 'M', 'P', 'V', 'W', '1', '\n'};
constexpr uint32_t kByteOrder = 0x01020304u;
constexpr const char* kSuffix = ".qpv";
// Bumped whenever previews are made differently (another reduction filter, another decoder), so
// old entries stop matching.
constexpr int kMakingVersion = 2;
constexpr size_t kMaxKey = 256;
// A temporary file older than this was left by a process that stopped while storing.
constexpr time_t kStaleTemporary = 3600;

// Moves all `size` bytes through read or write, going on after a signal or a short transfer.
template <class Buffer, class Transfer>
bool TransferAll(int fd, Buffer* buffer, size_t size, Transfer transfer)
{
    auto* bytes = reinterpret_cast<std::conditional_t<std::is_const_v<Buffer>, const uint8_t, uint8_t>*>(buffer);
    while (size > 0) {
        const ssize_t n = transfer(fd, bytes, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

bool ReadAll(int fd, void* buffer, size_t size)
{
    return TransferAll(fd, buffer, size, read);
}

bool WriteAll(int fd, const void* buffer, size_t size)
{
    return TransferAll(fd, buffer, size, write);
}

bool HasSuffix(const char* name, const char* suffix)
{
    const size_t length = std::strlen(name), suffixLength = std::strlen(suffix);
    return length > suffixLength && std::strcmp(name + length - suffixLength, suffix) == 0;
}

uint32_t PixelsCrc(const Quor_image& image)
{
    uLong crc = crc32(0L, Z_NULL, 0);
    const auto rowBytes = static_cast<uInt>(image.width) * 4u;
    for (int y = 0; y < image.height; y++)
        crc = crc32(crc, image.Row(y), rowBytes);
    return static_cast<uint32_t>(crc);
}

}  // namespace

std::string PreviewCache::DefaultFolder()
{
    const char* xdg = std::getenv("XDG_CACHE_HOME");
    if (xdg != nullptr && xdg[0] == '/')
        return std::string(xdg) + "/panomer/previews";
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/')
        return std::string(home) + "/.cache/panomer/previews";
    return std::string();
}

PreviewCache::PreviewCache(std::string folder, int64_t capacity) : fFolder(std::move(folder)), fCapacity(capacity)
{
    while (fFolder.size() > 1 && fFolder.back() == '/')
        fFolder.pop_back();
}

bool PreviewCache::Key(const char* path, int maxSize, std::string* key)
{
    struct stat info;
    if (path == nullptr || stat(path, &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    char text[kMaxKey];
    const int n = std::snprintf(text, sizeof text, "v%d s%d d%llu i%llu z%lld m%lld.%09ld c%lld.%09ld", kMakingVersion,
        maxSize, static_cast<unsigned long long>(info.st_dev), static_cast<unsigned long long>(info.st_ino),
        static_cast<long long>(info.st_size), static_cast<long long>(info.st_mtim.tv_sec), info.st_mtim.tv_nsec,
        static_cast<long long>(info.st_ctim.tv_sec), info.st_ctim.tv_nsec);
    if (n <= 0 || static_cast<size_t>(n) >= sizeof text)
        return false;
    try {
        key->assign(text, static_cast<size_t>(n));
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

std::string PreviewCache::EntryFor(const std::string& key) const
{
    // FNV-1a names the entry; the entry repeats the whole key, so two keys that share a name
    // only cost each other's previews.
    uint64_t hash = 14695981039346656037ull;
    for (const char c : key) {
        hash ^= static_cast<uint8_t>(c);
        hash *= 1099511628211ull;
    }
    char name[32];
    std::snprintf(name, sizeof name, "/%016llx", static_cast<unsigned long long>(hash));
    return fFolder + name + kSuffix;
}

std::string PreviewCache::EntryPath(const char* path, int maxSize) const
{
    std::string key;
    if (fFolder.empty() || !Key(path, maxSize, &key))
        return std::string();
    return EntryFor(key);
}

int PreviewCache::Load(const char* path, int maxSize, int64_t memoryBudget, Quor_String* refusal,
    Quor_BaseImage* image)
{
    // Full-size loads and loads under a memory budget go straight to the decoder, which checks
    // what they may hold.
    std::string key, entry;
    const bool cached = !fFolder.empty() && maxSize > 0 && memoryBudget == Quor_ImageIo::kNoBudget &&
                        image != nullptr && Key(path, maxSize, &key);
    if (cached) {
        try {
            entry = EntryFor(key);
        } catch (const std::bad_alloc&) {
            entry.clear();
        }
    }
    if (!entry.empty() && Read(entry, key, maxSize, image)) {
        fHits++;
        utimensat(AT_FDCWD, entry.c_str(), nullptr, 0);  // marks the entry as used
        return QUOR_OK;
    }
    const int code = Quor_ImageIo::LoadImage(path, image, maxSize, memoryBudget, refusal);
    if (entry.empty())
        return code;
    fMisses++;
    if (code == QUOR_OK && image->PixelBits() == 32) {
        try {
            Store(entry, key, *image);
        } catch (const std::bad_alloc&) {
            // Not kept: the next open decodes the photo again.
        }
    }
    return code;
}

bool PreviewCache::Read(const std::string& entry, const std::string& key, int maxSize, Quor_BaseImage* image) const
{
    const int fd = open(entry.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info;
    uint8_t head[sizeof kMagic + 8];
    uint32_t keyLength = 0;
    char storedKey[kMaxKey];
    uint32_t size[3];  // width, height, CRC-32
    bool ok = fstat(fd, &info) == 0 && ReadAll(fd, head, sizeof head) &&
              std::memcmp(head, kMagic, sizeof kMagic) == 0;
    if (ok) {
        uint32_t order;
        std::memcpy(&order, head + sizeof kMagic, 4);
        std::memcpy(&keyLength, head + sizeof kMagic + 4, 4);
        ok = order == kByteOrder && keyLength == key.size() && ReadAll(fd, storedKey, keyLength) &&
             std::memcmp(storedKey, key.data(), keyLength) == 0 && ReadAll(fd, size, sizeof size);
    }
    const int64_t width = ok ? size[0] : 0, height = ok ? size[1] : 0;
    const int64_t headerBytes = static_cast<int64_t>(sizeof head) + keyLength + static_cast<int64_t>(sizeof size);
    ok = ok && width >= 1 && height >= 1 && width <= maxSize && height <= maxSize &&
         info.st_size == headerBytes + width * height * 4 &&
         image->Initialize(static_cast<int>(width), static_cast<int>(height), 32) == QUOR_OK;
    // One read when the rows lie end to end (system calls are dear on virtual machines).
    if (ok && image->RowBytes() == width * 4)
        ok = ReadAll(fd, image->RowPtr(0), static_cast<size_t>(width * height * 4));
    else
        for (int y = 0; ok && y < height; y++)
            ok = ReadAll(fd, image->RowPtr(y), static_cast<size_t>(width) * 4);
    close(fd);
    ok = ok && PixelsCrc(image->Image()) == size[2];
    if (!ok && image->IsValid() && width > 0)
        image->Free();  // never rows of a torn or foreign entry
    return ok;
}

void PreviewCache::Store(const std::string& entry, const std::string& key, const Quor_BaseImage& image)
{
    const Quor_image& pixels = image.Image();
    const int64_t bytes = static_cast<int64_t>(sizeof kMagic) + 8 + static_cast<int64_t>(key.size()) + 12 +
                          static_cast<int64_t>(pixels.width) * pixels.height * 4;
    if (bytes > fCapacity / 4)
        return;  // one preview may not push out most of the others
    {
        std::lock_guard<std::mutex> lock(fTrimLock);
        if (!fFolderMade)
            fFolderMade = Quor_Folder::MakeAll(fFolder.c_str());
        if (!fFolderMade)
            return;
    }
    std::string temporary = entry + ".tmp-XXXXXX";
    const int fd = mkstemp(temporary.data());
    if (fd < 0)
        return;
    const uint32_t order = kByteOrder, keyLength = static_cast<uint32_t>(key.size());
    const uint32_t size[3] = {static_cast<uint32_t>(pixels.width), static_cast<uint32_t>(pixels.height),
        PixelsCrc(pixels)};
    bool ok = WriteAll(fd, kMagic, sizeof kMagic) && WriteAll(fd, &order, 4) && WriteAll(fd, &keyLength, 4) &&
              WriteAll(fd, key.data(), key.size()) && WriteAll(fd, size, sizeof size);
    if (ok && pixels.rowBytes == pixels.width * 4)
        ok = WriteAll(fd, pixels.Row(0), static_cast<size_t>(pixels.width) * pixels.height * 4);
    else
        for (int y = 0; ok && y < pixels.height; y++)
            ok = WriteAll(fd, pixels.Row(y), static_cast<size_t>(pixels.width) * 4);
    // No sync: an entry cut short by a crash fails its size or CRC check and is made again.
    ok = close(fd) == 0 && ok && rename(temporary.c_str(), entry.c_str()) == 0;
    if (!ok) {
        unlink(temporary.c_str());
        return;
    }
    Trim(bytes);
}

void PreviewCache::Trim(int64_t adding)
{
    std::lock_guard<std::mutex> lock(fTrimLock);
    if (fHeld >= 0) {
        fHeld += adding;
        if (fHeld <= fCapacity)
            return;
    }
    // Counts the folder (the first time, and whenever the count passes the capacity, since other
    // processes share it), then removes the least recently used entries down to three quarters.
    DIR* dir = opendir(fFolder.c_str());
    if (dir == nullptr)
        return;
    struct Entry {
        std::string path;
        timespec used;
        int64_t bytes;
    };
    std::vector<Entry> entries;
    int64_t held = 0;
    const time_t now = time(nullptr);
    try {
        while (const dirent* item = readdir(dir)) {
            const bool preview = HasSuffix(item->d_name, kSuffix);
            const bool temporary = std::strstr(item->d_name, ".tmp-") != nullptr;
            if (!preview && !temporary)
                continue;
            std::string path = fFolder + "/" + item->d_name;
            struct stat info;
            if (lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
                continue;
            if (temporary) {
                if (now - info.st_mtim.tv_sec > kStaleTemporary)
                    unlink(path.c_str());
                continue;
            }
            held += info.st_size;
            entries.push_back({std::move(path), info.st_mtim, info.st_size});
        }
    } catch (const std::bad_alloc&) {
        closedir(dir);
        return;
    }
    closedir(dir);
    fHeld = held;
    if (fHeld <= fCapacity)
        return;
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        return a.used.tv_sec != b.used.tv_sec ? a.used.tv_sec < b.used.tv_sec : a.used.tv_nsec < b.used.tv_nsec;
    });
    const int64_t goal = fCapacity / 4 * 3;
    for (const Entry& entry : entries) {
        if (fHeld <= goal)
            break;
        if (unlink(entry.path.c_str()) == 0 || errno == ENOENT)
            fHeld -= entry.bytes;
    }
}
