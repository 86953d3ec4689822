// Token streams over a given text, for tests that read it back: from memory, from a scratch
// file, or from both, so that a rule can be checked for each stream kind.
#pragma once

#include <cstdint>
#include <string>

#include "tests/support/TestFiles.h"
#include "toolkit/core/Quor_FileStream.h"
#include "toolkit/core/Quor_MemStream.h"

namespace quor_test {

// What a memory stream opened for writing holds.
inline std::string Written(Quor_MemStream& stream)
{
    return std::string(stream.RawData(), static_cast<size_t>(stream.FileSize()));
}

// A memory stream reading its own copy of the text.
struct TextReader {
    explicit TextReader(const std::string& text) : fText(text)
    {
        fStream.OpenRead(fText.data(), static_cast<int64_t>(fText.size()));
    }
    std::string fText;
    Quor_MemStream fStream;
};

// A file stream reading the text from a scratch file.
struct FileReader {
    explicit FileReader(const std::string& text)
    {
        WriteFileBytes(fScratch.File("in.txt"), text);
        fStream.Open(fScratch.File("in.txt").c_str(), true);
    }
    ScratchDir fScratch;
    Quor_FileStream fStream;
};

// The same text through both stream kinds.
struct BothKinds {
    explicit BothKinds(const std::string& text) : fMemory(text), fFile(text) {}
    TextReader fMemory;
    FileReader fFile;
    Quor_IoStream* const fAll[2] = {&fMemory.fStream, &fFile.fStream};
};

}  // namespace quor_test
