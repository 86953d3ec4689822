// Locating checked-in test data and making scratch folders that vanish after a test.
#pragma once

#include <string>

namespace quor_test {

// Absolute path of a file under tests/data, for example DataPath("png/basn2c08.png").
std::string DataPath(const std::string& relative);

// Absolute path of a file under the source tree, for example SourcePath("tests/toolkit/imaging/golden/x.png").
std::string SourcePath(const std::string& relative);

// A fresh, empty folder under the system's temporary folder; removed with its contents on destruction.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::string& Path() const { return fPath; }
    std::string File(const std::string& name) const { return fPath + "/" + name; }

private:
    std::string fPath;
};

// Whole-file helpers for tests that compare bytes.
std::string ReadFileBytes(const std::string& path);
bool WriteFileBytes(const std::string& path, const std::string& bytes);

}  // namespace quor_test
