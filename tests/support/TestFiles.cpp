#include "tests/support/TestFiles.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace quor_test {

std::string DataPath(const std::string& relative)
{
    return std::string(QUOR_TEST_DATA_DIR) + "/" + relative;
}

std::string SourcePath(const std::string& relative)
{
    return std::string(QUOR_SOURCE_DIR) + "/" + relative;
}

ScratchDir::ScratchDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "panomer-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr)
        fPath = pattern;
}

ScratchDir::~ScratchDir()
{
    if (!fPath.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(fPath, ignored);
    }
}

std::string ReadFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

bool WriteFileBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

}  // namespace quor_test
