#include "FuzzSupport.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace vorpane::fuzz {

TScratchFolder& TScratchFolder::Get() {
    static TScratchFolder folder;
    return folder;
}

TScratchFolder::TScratchFolder() {
    const char* system = std::getenv("TMPDIR");
    std::string pattern = std::string(system != nullptr && *system != '\0' ? system : "/tmp") +
                          "/vorpane-fuzz-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        Fail("cannot make a scratch folder at " + pattern);
    }
    path_ = pattern;
}

TScratchFolder::~TScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string TScratchFolder::Write(const std::string& name, const std::uint8_t* data,
                                  std::size_t size) const {
    const std::string path = File(name);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr || (size > 0 && std::fwrite(data, 1, size, file) != size) ||
        std::fclose(file) != 0) {
        Fail("cannot write the scratch file " + path);
    }
    return path;
}

std::string TScratchFolder::Write(const std::string& name, const std::string& bytes) const {
    return Write(name, reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

std::string TestDataFile(const std::string& name) {
    const std::string path = std::string(VORPANE_TEST_DATA) + "/" + name;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        Fail("cannot read " + path);
    }
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void Fail(const std::string& what) {
    std::fprintf(stderr, "vorpane fuzz: %s\n", what.c_str());
    std::fflush(stderr);
    std::abort();
}

} // namespace vorpane::fuzz
