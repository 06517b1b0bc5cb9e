// Presets: every example offered, the user's marked; refused files, missing folders and names taken earlier left out.
#include "explore/presets.h"
#include "snippet/snippet.h"
#include "tests/support/scratch_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <sys/stat.h>

TEST(Presets, EveryExampleIsOfferedAndWhatCannotBeReadIsLeftOutWithItsReason)
{
    std::vector<std::string> refusals;
    const std::vector<explore::Preset> examples = explore::read_presets({{SOURCE_DIR "/examples", ""}}, refusals);
    std::size_t files = 0;
    for (const auto& file : std::filesystem::directory_iterator(SOURCE_DIR "/examples"))
        files += file.path().extension() == ".bas";
    EXPECT_EQ(std::pair(examples.size(), refusals), std::pair(files, std::vector<std::string>{}));
    EXPECT_GE(files, 14u);
    EXPECT_EQ(examples.front().name, "bud");

    const test_support::Scratch_folder scratch;
    const std::string mine = scratch.path().string() + "/shapes";
    std::filesystem::create_directory(mine);
    std::ofstream(mine + "/bad.bas") << "nonsense\n";
    std::ofstream(mine + "/notes.txt") << "not a snippet, not offered\n";
    ASSERT_EQ(mkfifo((mine + "/pipe.bas").c_str(), 0600), 0); // read, it would wait for a writer
    Tparams star;
    ASSERT_TRUE(snippet::read_file(SOURCE_DIR "/examples/star.bas", star).ok());
    star.m = 7;
    std::ofstream(mine + "/star.bas") << snippet::text(star);
    std::ofstream(mine + "/zz.bas") << snippet::text(star);
    std::ofstream(mine + "/UP.BAS") << snippet::text(star);

    const std::vector<explore::Preset> all = explore::read_presets({{SOURCE_DIR "/examples", ""},
                                                                    {SOURCE_DIR "/examples", ""},
                                                                    {scratch.path().string() + "/missing", ""},
                                                                    {mine + "/notes.txt", ""},
                                                                    {mine, "shapes/"}},
                                                                   refusals);
    std::vector<std::string> names;
    for (std::size_t i = files; i < all.size(); ++i)
        names.push_back(all[i].name + " " + std::to_string(int(all[i].values.m)));
    EXPECT_EQ(names, (std::vector<std::string>{"shapes/UP 7", "shapes/star 7", "shapes/zz 7"}));
    const auto star_preset =
        std::find_if(all.begin(), all.end(), [](const auto& preset) { return preset.name == "star"; });
    EXPECT_EQ(star_preset->values.m, 4.0f) << "the example's own name";
    ASSERT_EQ(refusals.size(), 3u);
    EXPECT_EQ(refusals[0], mine + "/notes.txt: cannot read: Not a directory");
    EXPECT_EQ(refusals[1].rfind(mine + "/bad.bas:1: ", 0), 0u) << refusals[1];
    EXPECT_EQ(refusals[2], mine + "/pipe.bas: expected a snippet file, found a FIFO");

    // Followed as Saves add to it: the stamp changes with a file renamed into the folder.
    const std::vector<explore::Preset_folder> followed{{mine, "shapes/"}};
    std::filesystem::last_write_time(mine, std::filesystem::last_write_time(mine) - std::chrono::hours(1));
    const std::string stamp = explore::folders_stamp(followed);
    EXPECT_EQ(explore::folders_stamp(followed), stamp) << "nothing changed";
    std::filesystem::rename(mine + "/zz.bas", mine + "/zy.bas");
    EXPECT_NE(explore::folders_stamp(followed), stamp);
}
