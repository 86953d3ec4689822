// Keeps the reduced previews of photos on disk, so a project opens again without decoding every
// photo in full: a preview is found by the photo file's identity (device, inode, size and change
// times), so an edited, replaced or touched photo is decoded afresh. The folder is bounded; the
// previews used least recently go first. Safe to use from several threads at once.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include "toolkit/core/Quor_String.h"
#include "toolkit/imaging/Quor_BaseImage.h"

class PreviewCache {
public:
    // The cache's folder for this user: $XDG_CACHE_HOME/panomer/previews, or
    // ~/.cache/panomer/previews when XDG_CACHE_HOME is unset or not absolute; "" without a home.
    static std::string DefaultFolder();

    // folder: where the previews live (made when the first preview is stored). capacity: the
    // bytes the folder may hold; a store beyond it removes the oldest previews first.
    PreviewCache(std::string folder, int64_t capacity);

    PreviewCache(const PreviewCache&) = delete;
    PreviewCache& operator=(const PreviewCache&) = delete;

    // Loads the photo at path reduced to fit maxSize x maxSize (Quor_ImageIo::LoadImage): from
    // the cache when it holds a preview of this very file at this size, else decoded, and then
    // kept. Returns the loader's code; a cache that cannot be read or written only costs the
    // decode.
    int Load(const char* path, int maxSize, int64_t memoryBudget, Quor_String* refusal, Quor_BaseImage* image);

    // Counts of this cache's loads, for tests and benchmarks.
    int Hits() const { return fHits; }
    int Misses() const { return fMisses; }

    // The file that holds (or would hold) the preview of the photo at path at maxSize; "" when the
    // photo cannot be examined.
    std::string EntryPath(const char* path, int maxSize) const;

private:
    // The key names the photo file's identity and the preview's making.
    static bool Key(const char* path, int maxSize, std::string* key);
    std::string EntryFor(const std::string& key) const;
    bool Read(const std::string& entry, const std::string& key, int maxSize, Quor_BaseImage* image) const;
    void Store(const std::string& entry, const std::string& key, const Quor_BaseImage& image);
    void Trim(int64_t adding);

    std::string fFolder;
    int64_t fCapacity;
    std::mutex fTrimLock;
    bool fFolderMade = false;
    int64_t fHeld = -1;  // bytes in the folder as last counted; -1 before the first store
    std::atomic_int fHits{0};
    std::atomic_int fMisses{0};
};
