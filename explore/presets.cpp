#include "explore/presets.h"

#include "snippet/snippet.h"

#include <algorithm>
#include <filesystem>
#include <set>
#include <system_error>

namespace explore {

std::vector<Preset> read_presets(const std::vector<std::string>& folders, std::vector<std::string>& refusals)
{
    namespace fs = std::filesystem;
    std::vector<Preset> presets;
    std::set<std::string> taken;
    for (const std::string& folder : folders) {
        std::vector<fs::path> files;
        std::error_code error;
        for (fs::directory_iterator file(folder, error), end; !error && file != end; file.increment(error))
            if (file->path().extension() == ".bas")
                files.push_back(file->path());
        std::sort(files.begin(), files.end());
        for (const fs::path& file : files) {
            Preset preset{file.stem().string(), {}};
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

} // namespace explore
