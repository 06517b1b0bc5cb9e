// shapetool's pictures as a user makes them, with no display: what the PNG
// files show, by pixel properties.
#include "app/Tparams.h"
#include "snippet/snippet.h"
#include "tests/support/child_process.h"

#include <gtest/gtest.h>
#include <stb_image.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <set>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct Png {
    int width = 0, height = 0;
    std::unique_ptr<stbi_uc, void (*)(void*)> pixels{nullptr, stbi_image_free};

    explicit Png(const fs::path& path) { pixels.reset(stbi_load(path.c_str(), &width, &height, nullptr, 3)); }
    const stbi_uc* at(int x, int y) const { return pixels.get() + 3 * (y * width + x); }
    // Pixels in the box [x0, x1) x [y0, y1) for which `wanted` holds.
    int count(int x0, int y0, int x1, int y1, const std::function<bool(const stbi_uc*)>& wanted) const
    {
        int found = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                found += wanted(at(x, y)) ? 1 : 0;
        return found;
    }
};

class ShapetoolPictures : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = fs::temp_directory_path() / ("shapetool_pictures." + std::to_string(getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder / "shapes");
    }
    void TearDown() override { fs::remove_all(folder); }

    void save(const std::string& name, const std::function<void(Tparams&)>& change)
    {
        Tparams params;
        set_start_values(params);
        change(params);
        std::ofstream(folder / "shapes" / name, std::ios::binary) << snippet::text(params);
    }
    int shapetool(const std::vector<std::string>& arguments)
    {
        return test_support::run_program(SHAPETOOL_EXECUTABLE, arguments, folder).exit_status;
    }

    fs::path folder;
};

} // namespace

TEST_F(ShapetoolPictures, RenderShowsTheSnippetsColourOnBlackAndSolidIsShaded)
{
    save("default.bas", [](Tparams&) {});
    save("teal.bas", [](Tparams& p) { p.color[0] = 0, p.color[1] = 128, p.color[2] = 128; });
    ASSERT_EQ(shapetool({"render", "shapes/default.bas", "shapes/teal.bas", "--outdir", "."}), 0);
    ASSERT_EQ(shapetool({"render", "shapes/teal.bas", "--solid", "--size", "320x240", "-o", "solid.png"}), 0);
    for (const auto& [file, r, g, b] : {std::tuple{"default.png", 255, 255, 64}, {"teal.png", 0, 128, 128}}) {
        const Png picture(folder / file);
        ASSERT_EQ(picture.width * 1000 + picture.height, 640480) << file;
        const auto shape = [&](const stbi_uc* p) { return p[0] == r && p[1] == g && p[2] == b; };
        const auto black = [](const stbi_uc* p) { return p[0] + p[1] + p[2] == 0; };
        EXPECT_GT(picture.count(240, 160, 400, 320, shape), 1000) << file;
        EXPECT_EQ(picture.count(0, 0, 40, 40, black) + picture.count(600, 440, 640, 480, black), 3200) << file;
    }
    const Png solid(folder / "solid.png");
    std::set<int> greens;
    // Shades of teal, and no ground, around the middle of the silhouette.
    EXPECT_EQ(solid.count(150, 110, 170, 130, [&](const stbi_uc* p) {
        greens.insert(p[1]);
        return p[1] > p[0] && p[2] > p[0];
    }), 400);
    EXPECT_GT(greens.size(), 3u);
}

TEST_F(ShapetoolPictures, GalleryHasACellAndANamePerSnippetAndEndsWith2ForABadOne)
{
    save("a.bas", [](Tparams& p) { p.color[0] = 255, p.color[1] = 0, p.color[2] = 0; });
    save("b.bas", [](Tparams& p) { p.color[0] = 0, p.color[1] = 255, p.color[2] = 0; });
    std::ofstream(folder / "shapes" / "c.bas") << "not a snippet";
    ASSERT_EQ(shapetool({"gallery", "shapes", "-o", "sheet.png", "--columns", "3", "--thumb", "96x72"}), 2);
    const Png sheet(folder / "sheet.png");
    ASSERT_GT(sheet.width, 3 * 96);
    const int third = sheet.width / 3;
    const auto white = [](const stbi_uc* p) { return p[0] == 255 && p[1] == 255 && p[2] == 255; };
    const std::function<bool(const stbi_uc*)> cell_colours[] = {
        [](const stbi_uc* p) { return p[0] == 255 && p[1] == 0 && p[2] == 0; },
        [](const stbi_uc* p) { return p[0] == 0 && p[1] == 255 && p[2] == 0; },
        // The message that c.bas cannot be read.
        [](const stbi_uc* p) { return p[0] == 255 && p[1] > 0 && p[1] < 128; },
    };
    const int thumbnail_bottom = 8 + 72;
    for (int cell = 0; cell < 3; ++cell) {
        EXPECT_GT(sheet.count(cell * third, 0, (cell + 1) * third, thumbnail_bottom, cell_colours[cell]), 20) << cell;
        EXPECT_GT(sheet.count(cell * third, thumbnail_bottom, (cell + 1) * third, sheet.height, white), 20) << cell;
    }
}
