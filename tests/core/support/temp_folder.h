// A folder of its own for a test, removed afterwards, with small file helpers.
#pragma once

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

namespace tarnova::test {

class TempFolder {
  public:
    TempFolder() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        // The process number keeps test runs of other checkouts out of this folder.
        folder_ = std::filesystem::temp_directory_path() /
                  (std::string("tarnova_") + info->test_suite_name() + "_" + info->name() + "_" +
                   std::to_string(getpid()));
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
    }
    ~TempFolder() { std::filesystem::remove_all(folder_); }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::string path(const std::string& name) const { return (folder_ / name).string(); }
    std::string write(const std::string& name, const std::string& bytes) const {
        std::ofstream(path(name), std::ios::binary) << bytes;
        return path(name);
    }
    std::string read(const std::string& name) const {
        std::ifstream stream(path(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(stream), {});
    }
    bool exists(const std::string& name) const { return std::filesystem::exists(path(name)); }
    // The names of the files in the folder.
    std::set<std::string> names() const {
        std::set<std::string> found;
        for (const auto& entry : std::filesystem::directory_iterator(folder_)) {
            found.insert(entry.path().filename().string());
        }
        return found;
    }

  private:
    std::filesystem::path folder_;
};

// A bundled sample file.
// Built by appending: GCC 12 at -O1 misreads the joined temporaries as reads out of bounds.
inline std::string samplePath(const std::string& name) {
    std::string path = TARNOVA_SOURCE_DIR;
    path += "/samples/";
    path += name;
    return path;
}

// The bytes of a bundled sample file.
inline std::string sampleBytes(const std::string& name) {
    std::ifstream stream(samplePath(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(stream), {});
}

} // namespace tarnova::test
