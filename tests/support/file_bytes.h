// A whole file's bytes, for tests that compare a file before and after a command.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace velmora::test {

// Empty when the file cannot be read.
inline std::vector<char> fileBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace velmora::test
