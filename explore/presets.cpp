#include "explore/presets.h"

#include "runtime/status.h"
#include "runtime/text.h"
#include "snippet/snippet.h"

#include <algorithm>
#include <filesystem>
#include <set>
#include <sys/stat.h>
#include <system_error>

namespace explore {

std::vector<Preset> read_presets(const std::vector<Preset_folder>& folders, std::vector<std::string>& refusals)
{
    namespace fs = std::filesystem;
    std::vector<Preset> presets;
    std::set<std::string> taken;
    for (const Preset_folder& folder : folders) {
        std::vector<fs::path> files;
        std::error_code error;
        for (fs::directory_iterator file(folder.path, error), end; !error && file != end; file.increment(error))
            if (runtime::extension_of(file->path().string()) == "bas")
                files.push_back(file->path());
        if (error && error != std::errc::no_such_file_or_directory)
            refusals.push_back(
                runtime::failure(runtime::Status::Kind::unreadable, folder.path, error.message()).message);
        std::sort(files.begin(), files.end());
        for (const fs::path& file : files) {
            Preset preset{folder.mark + file.stem().string(), {}};
            if (taken.count(preset.name) != 0)
                continue;
            const runtime::Status status = snippet::read_file(file.string(), preset.values);
            if (!status.ok()) {
                refusals.push_back(status.message);
                continue;
            }
            taken.insert(preset.name);
            presets.push_back(std::move(preset));
        }
    }
    return presets;
}

std::string folders_stamp(const std::vector<Preset_folder>& folders)
{
    std::string stamp;
    for (const Preset_folder& folder : folders) {
        struct stat status {};
        if (::stat(folder.path.c_str(), &status) == 0)
            for (const unsigned long long number :
                 {static_cast<unsigned long long>(status.st_dev), static_cast<unsigned long long>(status.st_ino),
                  static_cast<unsigned long long>(status.st_mtim.tv_sec),
                  static_cast<unsigned long long>(status.st_mtim.tv_nsec)})
                stamp += std::to_string(number) + ' ';
        stamp += '/';
    }
    return stamp;
}

} // namespace explore
