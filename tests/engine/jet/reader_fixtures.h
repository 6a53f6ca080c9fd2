// The real Access-made files the reader tests run over, and which of them the engine refuses.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/test_paths.h"

namespace velmora::engine::jet::testing {

inline std::filesystem::path fixtureDir() {
    return std::filesystem::path(velmora::test::sharedDir()) / "fixtures" / "jet";
}

// A fixture's bytes; empty when it cannot be read.
inline std::vector<uint8_t> readFixture(const std::string& name) {
    std::ifstream in(fixtureDir() / name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline bool haveFixtures() {
    return std::filesystem::is_directory(fixtureDir());
}

// All 29 files; a file missing from the folder is a failure, not a skip.
inline const std::vector<std::string>& allFixtures() {
    static const std::vector<std::string> names = {
        "V2000_with-password.mdb",
        "V2003_with-password.mdb",
        "adox_jet4.mdb",
        "charsetGBK.mdb",
        "compIndexTestV1997.mdb",
        "compIndexTestV2000.mdb",
        "db-enc.mdb",
        "db97-enc.mdb",
        "delColTestV1997.mdb",
        "delColTestV2000.mdb",
        "delTestV1997.mdb",
        "delTestV2000.mdb",
        "empty.mdb",
        "empty2003.mdb",
        "emptyJet4.mdb",
        "fixedNumericTestV2000.mdb",
        "fixedTextTestV2000.mdb",
        "indexTestV1997.mdb",
        "indexTestV2000.mdb",
        "noRoman.mdb",
        "overflowTestV2000.mdb",
        "queryTestV1997.mdb",
        "queryTestV2000.mdb",
        "test2V1997.mdb",
        "test2V2000.mdb",
        "testIndexCodesV1997.mdb",
        "testIndexPropertiesV2000.mdb",
        "testUnicodeCompV2003.mdb",
        "testV1997.mdb",
    };
    return names;
}

enum class Refusal { None, Password, Encoded };

inline Refusal refusalOf(const std::string& name) {
    if (name.find("with-password") != std::string::npos)
        return Refusal::Password;
    if (name.find("-enc.mdb") != std::string::npos)
        return Refusal::Encoded;
    return Refusal::None;
}

inline std::vector<std::string> readableFixtures() {
    std::vector<std::string> out;
    for (const auto& n : allFixtures()) {
        if (refusalOf(n) == Refusal::None)
            out.push_back(n);
    }
    return out;
}

// gtest parameter names may hold only letters, digits and underscores.
inline std::string paramName(const std::string& file) {
    std::string out;
    for (char c : file)
        out.push_back(std::isalnum(static_cast<unsigned char>(c)) ? c : '_');
    return out;
}

}  // namespace velmora::engine::jet::testing
