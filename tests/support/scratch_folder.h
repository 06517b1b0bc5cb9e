// A folder of one test's own under the temporary folder, removed with all it
// holds when the test ends, however it ends; and what tests ask of files.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace test_support {

class Scratch_folder {
public:
    explicit Scratch_folder(const std::string& name = "supershape_test")
    {
        std::string pattern = (std::filesystem::temp_directory_path() / (name + ".XXXXXX")).string();
        if (mkdtemp(pattern.data()))
            path_ = pattern;
    }
    ~Scratch_folder()
    {
        std::error_code ignored;
        if (!path_.empty())
            std::filesystem::remove_all(path_, ignored);
    }
    Scratch_folder(const Scratch_folder&) = delete;
    Scratch_folder& operator=(const Scratch_folder&) = delete;

    // Empty when the folder could not be made.
    const std::filesystem::path& path() const { return path_; }
    // The path of `name` in the folder.
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

// The bytes of the file at `path`; empty when it cannot be read.
inline std::string file_text(const std::filesystem::path& path)
{
    return std::string(std::istreambuf_iterator<char>(std::ifstream(path, std::ios::binary).rdbuf()), {});
}

// How many entries `folder` holds.
inline std::ptrdiff_t entries(const std::filesystem::path& folder)
{
    return std::distance(std::filesystem::directory_iterator(folder), {});
}

} // namespace test_support
