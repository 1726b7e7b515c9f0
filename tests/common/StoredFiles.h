#pragma once

// Golden stored files: bytes that today's code stored, committed under tests/data/stored/, so
// that a change which can no longer read what users already saved fails a test even when store
// and restore change together.
//
// A test builds an object with non-default values, then calls GoldenBytes(name, built bytes):
// normally it returns the committed file's bytes (a missing file fails the test); with
// OMBREL_WRITE_STORED_FILES=1 in the environment it first writes the built bytes as the new
// file. Write new files only for a new stored version, and keep the old ones: each file pins
// down what one version holds (docs/stored-formats.md).

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#ifndef OMBREL_STORED_FILES_DIR
#error "the test target must define OMBREL_STORED_FILES_DIR (the folder tests/data/stored)"
#endif

namespace Ombrel::Testing {

using StoredBytes = std::vector<std::uint8_t>;

inline std::filesystem::path StoredFilePath(const std::string& name)
{
    return std::filesystem::path(OMBREL_STORED_FILES_DIR) / name;
}

inline bool WritingStoredFiles()
{
    const char* flag = std::getenv("OMBREL_WRITE_STORED_FILES");
    return flag != nullptr && std::string(flag) == "1";
}

inline StoredBytes GoldenBytes(const std::string& name, const StoredBytes& built)
{
    const std::filesystem::path path = StoredFilePath(name);
    if (WritingStoredFiles()) {
        std::filesystem::create_directories(path.parent_path());
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(built.data()), static_cast<std::streamsize>(built.size()));
        EXPECT_TRUE(out.good()) << "cannot write " << path;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        ADD_FAILURE() << "missing stored file " << path;
        return {};
    }
    return StoredBytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace Ombrel::Testing
