// The real editor driven with xdotool, seen through import; as starts are slow, one session makes many checks.
#include "params/Tparams.h"
#include "runtime/version.h"
#include "snippet/snippet.h"
#include "tests/support/child_process.h"
#include "tests/support/scratch_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <csignal>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <regex>
#include <set>
#include <sys/wait.h>
#include <thread>
#include <tuple>
#include <unistd.h>
#include <utility>
// Last, as its macros clash with names in GoogleTest.
#include <X11/Xlib.h>

namespace fs = std::filesystem;

namespace {

using Rgb = std::array<unsigned char, 3>;
// From (left, top) to (right, bottom), exclusive, in window pixels.
struct Box {
    int left, top, right, bottom;
};
struct Point {
    int x, y;
};
// 640 x 480 (or, resized, 1280 x 960) RGB pixels from the top row; empty when the window has another size.
using Picture = std::string;
constexpr std::size_t large_size = 1280 * 960 * 3;

constexpr Box whole{0, 0, 640, 480}, large_whole{0, 0, 1280, 960};

// Calls `visit` with the offset of each pixel of `box` in a picture `width` pixels wide.
void each_pixel(Box box, const std::function<void(int)>& visit, int width = 640)
{
    for (int y = box.top; y < box.bottom; ++y)
        for (int x = box.left; x < box.right; ++x)
            visit(3 * (y * width + x));
}

int count(const Picture& picture, const Rgb& colour, Box box = whole)
{
    int total = 0;
    if (!picture.empty())
        each_pixel(
            box, [&](int at) { total += std::memcmp(&picture[at], colour.data(), 3) == 0; },
            picture.size() == large_size ? 1280 : 640);
    return total;
}

constexpr Rgb yellow{255, 255, 64}, red{255, 0, 0}, green{0, 255, 0}, blue{0, 0, 255}, cyan{0, 255, 255};
constexpr Rgb white{255, 255, 255}, check_mark{66, 150, 250}; // ImGui's tick in a box

// Rows of the bar as it opens at the top-left, and of the bar scrolled to its end.
constexpr Point save_button{120, 75}, exit_button{120, 98}, show_axes_box{133, 149};
constexpr Point red_channel{40, 235}, colour_box{204, 235}, swap_xy_button{120, 262}, bar_middle{120, 200};
constexpr Point n1_scrolled{150, 43}, radius_scrolled{150, 112}, slices_scrolled{150, 135}, bands_scrolled{150, 158};
// The second set's bar, folded in the bottom-right corner.
constexpr Box profile_title{537, 444, 624, 464}, profile_rows{404, 268, 624, 444};
constexpr Point profile_middle{580, 454};
// The exploring bar: folded beside it (left of Profile open), and its rows once opened, when it takes the corner.
constexpr Point explore_arrow{319, 454}, random_button{508, 341}, undo_button{508, 387}, preset_list{548, 433};
constexpr Point solid_box{508, 456};
constexpr Box explore_title{442, 444, 529, 464};
// The export bar, folded beside that: its title, and once opened its list and the list's second row.
constexpr Box export_title{354, 444, 434, 464};
constexpr Point format_list{548, 340}, second_format{548, 381}, base_entry{530, 386};
// The panel ends at x = 236 and shows the colour too; the shape is right of the centre.
constexpr Box panel{0, 0, 240, 340}, beside_panel{240, 0, 320, 480}, right_half{320, 0, 640, 480};

// Where the lines printed at (450, 20), (450, 40) and (20, 420) may put pixels, a
// pixel to spare: "FPS:" with up to six digits, "rotations: ".
constexpr Box caption{449, 8, 521, 23}, fps{449, 28, 551, 43}, history{19, 408, 131, 423};
// The shape right of the bars, between the frame rate and an open bottom bar.
constexpr Box shape_box{400, 50, 640, 300};

// How many colours the pixels of `box` hold.
std::size_t shades(const Picture& picture, Box box = shape_box)
{
    std::set<std::string> colours;
    if (!picture.empty())
        each_pixel(box, [&](int at) { colours.insert(picture.substr(at, 3)); });
    return colours.size();
}

// How many pixels of the shape's box differ between two pictures; -1 when one is missing.
int differing(const Picture& one, const Picture& other)
{
    int total = one.empty() || other.empty() ? -1 : 0;
    if (total == 0)
        each_pixel(shape_box, [&](int at) { total += one.compare(at, 3, other, at, 3) != 0; });
    return total;
}

void pause(int milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

std::string run(const std::string& command)
{
    FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r");
    std::string output;
    for (int c; pipe && (c = std::fgetc(pipe)) != EOF;)
        output += static_cast<char>(c);
    if (pipe)
        pclose(pipe);
    return output;
}

using test_support::file_text;

// The editor started in `folder`, its output written there, killed at the end.
class Editor {
public:
    explicit Editor(const std::string& folder, const std::string& arguments = "") : folder_(folder)
    {
        run("xdotool mousemove 1279 1023"); // away from where the window opens
        // Root without its power over permissions finds a read-only folder read-only, as a user does.
        const std::string command = "cd " + folder + " && XDG_STATE_HOME=" + folder + "/state exec " +
                                    (geteuid() == 0 ? "setpriv --bounding-set=-dac_override " : "") +
                                    SUPERSHAPE_EXECUTABLE " " + arguments + " >stdout 2>stderr";
        if ((pid_ = fork()) == 0) {
            execl("/bin/sh", "sh", "-c", command.c_str(), nullptr);
            _exit(127);
        }
        window = run("timeout 30 xdotool search --sync --onlyvisible --pid " + std::to_string(pid_));
        window = window.substr(0, window.find('\n'));
    }
    ~Editor()
    {
        if (status_ < 0 && kill(pid_, SIGKILL) == 0)
            waitpid(pid_, nullptr, 0);
    }

    // The window's picture once `wanted` holds, or the last of `tries`.
    Picture capture(const std::function<bool(const Picture&)>& wanted = {}, int tries = 200) const
    {
        for (Picture picture;; pause(100)) {
            picture = run("timeout 10 import -window " + window + " -depth 8 rgb:-");
            picture.resize(picture.size() == 640 * 480 * 3 || picture.size() == large_size ? picture.size() : 0);
            if (!wanted || wanted(picture) || --tries <= 0)
                return picture;
        }
    }

    // Keys or chords such as ctrl+a, released as quickly as they are pressed.
    void key(const std::string& keysym) const { xdo("windowfocus " + window + " key --delay 0 " + keysym); }
    void type(const std::string& text) const { xdo("windowfocus " + window + " type --delay 30 '" + text + "'"); }
    // Moves the pointer there, then runs `then`, such as "click 1".
    void at(Point point, const std::string& then = "") const
    {
        xdo("mousemove --window " + window + " " + std::to_string(point.x) + " " + std::to_string(point.y) +
            " sleep 0.1 " + then);
    }
    void click(Point point) const { at(point, "click 1"); }
    // Types `text` into the field at `point` and ends it with Enter.
    void enter(Point point, const std::string& text) const { click(point), type(text), key("Return"); }
    // What the window system sends for the close button of the window's frame.
    void request_close() const
    {
        Display* display = XOpenDisplay(nullptr);
        XEvent event{};
        event.xclient = {
            ClientMessage, 0, False, display, std::stoul(window), XInternAtom(display, "WM_PROTOCOLS", False), 32, {}};
        event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
        XSendEvent(display, event.xclient.window, False, NoEventMask, &event);
        XCloseDisplay(display);
    }

    // The exit status, or -1 after ten seconds.
    int wait_for_exit()
    {
        for (int tries = 0, status = 0; status_ < 0 && tries < 500; ++tries, pause(20))
            if (waitpid(pid_, &status, WNOHANG) == pid_)
                status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        return status_;
    }
    std::string output(const char* stream) const { return file_text(folder_ + "/" + stream); }
    // The name and text of a shapes/shape_... file ending in `extension` that was not there before; empty ones after
    // ten seconds.
    std::pair<std::string, std::string> added(const std::string& extension = ".bas")
    {
        for (int tries = 0; tries < 100; ++tries, pause(100))
            for (const auto& file : fs::directory_iterator(folder_ + "/shapes"))
                if (const std::string name = file.path().filename();
                    name.rfind("shape_", 0) == 0 && file.path().extension() == extension && saved_.insert(name).second)
                    return {name, file_text(file.path())};
        return {};
    }
    // Clicks Save and gives the name and text of the snippet it adds.
    std::pair<std::string, std::string> save() { return click(save_button), added(); }

    std::string window; // empty when none appeared

private:
    // Everything after "type" is typed, so the pause is not xdotool's.
    static void xdo(const std::string& commands)
    {
        run("timeout 10 xdotool " + commands);
        pause(200);
    }

    std::string folder_;
    std::set<std::string> saved_;
    pid_t pid_ = -1;
    int status_ = -1;
};

// Each test works in a scratch folder of its own.
class EditorE2E : public ::testing::Test {
protected:
    const test_support::Scratch_folder scratch{"supershape_e2e"};
    const std::string folder = scratch.path();
};

} // namespace

TEST_F(EditorE2E, OneSessionShowsTheSceneTakesPanelEditsSavesAndEndsByItsExitButton)
{
    Editor editor(folder);
    ASSERT_FALSE(editor.window.empty()) << "no window appeared";
    const std::string title = run("xdotool getwindowname " + editor.window);
    EXPECT_TRUE(std::regex_match(title, std::regex("Morvane by Tarnock \\(.+\\)\n"))) << title;

    const auto ready = [](const Picture& p) {
        return count(p, yellow) > 100 && count(p, red) > 100 && count(p, white, caption) > 0 &&
               count(p, white, fps) > 0 && count(p, white, history) > 0;
    };
    const Picture first = editor.capture(ready);
    ASSERT_TRUE(ready(first)) << "no 640 x 480 picture of the scene";
    // At least so many pixels of a colour in a box: the shape right of the centre, the axes, the folded bars' titles,
    // auto-edit ticked.
    const std::tuple<const char*, Rgb, Box, int> present[] = {{"shape", yellow, right_half, 101},
                                                              {"red axis", red, beside_panel, 51},
                                                              {"green axis", green, whole, 51},
                                                              {"blue axis", blue, whole, 51},
                                                              {"profile bar", white, profile_title, 1},
                                                              {"explore bar", white, explore_title, 1},
                                                              {"auto-edit tick", check_mark, {123, 116, 143, 136}, 6}};
    for (const auto& [what, colour, box, least] : present)
        EXPECT_GE(count(first, colour, box), least) << what;
    EXPECT_EQ(count(first, yellow, beside_panel), 0);
    // The overlay is all the white outside the panel and the folded bars.
    EXPECT_EQ(count(first, white) - count(first, white, panel) - count(first, white, profile_title) -
                  count(first, white, explore_title) - count(first, white, export_title),
              count(first, white, caption) + count(first, white, fps) + count(first, white, history));

    // A swap adds " xy" to the history line, which the save below holds.
    editor.click(swap_xy_button);
    editor.click(show_axes_box);
    const auto axes = [](const Picture& p) { return count(p, red) + count(p, green) + count(p, blue); };
    const Picture plain = editor.capture([&](const Picture& p) { return axes(p) == 0; });
    EXPECT_EQ(axes(plain), 0);
    EXPECT_GT(count(plain, yellow), 100);

    constexpr Rgb recoloured{0, 255, 64};
    // A double click makes the channel a text field.
    editor.at(red_channel, "click --repeat 2 --delay 80 1"), editor.type("0"), editor.key("Return");
    const Picture green_shape = editor.capture([&](const Picture& p) { return count(p, recoloured) > 100; });
    EXPECT_GT(count(green_shape, recoloured), 100);
    EXPECT_EQ(count(green_shape, yellow), 0);

    // On the largest grid a quick tap's press and release arrive in one frame, Ctrl's too.
    const int before = count(editor.capture(), recoloured);
    editor.at(bar_middle, "click --repeat 20 --delay 30 5"); // the wheel, towards the user
    for (const Point field : {slices_scrolled, bands_scrolled})
        editor.enter(field, "999");
    editor.key("space");
    EXPECT_GT(
        count(editor.capture([&](const Picture& p) { return count(p, recoloured) > before * 3 / 2; }), recoloured),
        before * 3 / 2);
    // Ctrl+A selects the text typed so far, so that "2" replaces it.
    editor.click(n1_scrolled);
    editor.type("7");
    editor.key("ctrl+a");
    editor.type("2");
    editor.key("Return");
    editor.at(bar_middle, "click --repeat 20 --delay 30 4");

    // Save writes the values of the moment at once, named after the date and time.
    fs::create_directory(folder + "/shapes");
    Tparams expected;
    set_start_values(expected);
    expected.color[0] = 0, expected.rot_str += " xy", expected.slices = expected.bands = 999, expected.n1 = 2;
    char today[16];
    const std::time_t now = std::time(nullptr);
    std::strftime(today, sizeof today, "_%m-%d-%Y_", std::localtime(&now));
    // A drag in the free area (eight moves) turns the view and Ctrl+Z turns it back; the wheel zooms in and out,
    // never clipping the shape; neither is saved, and Save's one click after them saves.
    const Picture unturned = editor.capture();
    std::string drag = "mousedown 1 ";
    for (int i = 1; i <= 8; ++i)
        drag += "mousemove --window " + editor.window + " " + std::to_string(400 + 10 * i) + " 300 sleep 0.05 ";
    editor.at({400, 300}, drag + "mouseup 1");
    EXPECT_GT(differing(editor.capture([&](const Picture& p) { return differing(p, unturned) > 0; }), unturned), 0);
    editor.key("ctrl+z");
    EXPECT_EQ(differing(editor.capture([&](const Picture& p) { return differing(p, unturned) == 0; }), unturned), 0);
    const int unzoomed = count(unturned, recoloured);
    // In to the largest zoom, then out past the smallest.
    for (const auto& [button, notches, least, most] :
         {std::tuple(4, 20, unzoomed * 2, 640 * 480), {5, 40, 1, unzoomed / 5}}) {
        editor.at({500, 300}, "click --repeat " + std::to_string(notches) + " --delay 30 " + std::to_string(button));
        const int shown = count(editor.capture([&](const Picture& p) {
            return count(p, recoloured) >= least && count(p, recoloured) <= most;
        }),
                                recoloured);
        EXPECT_GE(shown, least);
        EXPECT_LE(shown, most);
    }
    const auto [name, text] = editor.save();
    EXPECT_EQ(text, snippet::text(expected));
    EXPECT_NE(name.find(today), std::string::npos) << name << " is not named after " << today;

    editor.click(exit_button);
    EXPECT_EQ(editor.wait_for_exit(), 0);
    EXPECT_EQ(editor.output("stdout") + editor.output("stderr"), "");
}

TEST_F(EditorE2E, AnOpenedSnippetShowsAtItsGridSavesAsItWasAndWithoutAFolderSaveEndsWith2)
{
    fs::create_directory(folder + "/shapes");
    Tparams opened;
    set_start_values(opened);
    opened.m = 6, opened.slices = opened.bands = 40, opened.color[0] = 0, opened.color[2] = 255,
    opened.rot_str += " xy xz", opened.sets_linked = 0, opened.m2 = 3;
    const std::string text = snippet::text(opened);
    std::ofstream(folder + "/shapes/opened.bas", std::ios::binary) << text;

    Editor editor(folder, "shapes/opened.bas");
    ASSERT_FALSE(editor.window.empty()) << "no window appeared";
    const auto shape = [](const Picture& p) { return count(p, cyan, right_half); };
    const Picture first = editor.capture([&](const Picture& p) { return shape(p) > 100; });
    const int lit = shape(first);
    EXPECT_GT(lit, 100);
    EXPECT_EQ(count(first, yellow), 0);
    EXPECT_GT(count(first, white, profile_rows), 100) << "a shape with two sets opens with its second bar open";
    // Built at the file's grid from the start, so Reset changes nothing.
    editor.key("space");
    EXPECT_EQ(shape(editor.capture([&](const Picture& p) { return shape(p) != lit; }, 30)), lit);

    // Ctrl+E saves the shape as Save does and writes beside it what shapetool writes from that snippet, saying so above
    // the history (not under it, left of the folded titles); the same shape in OBJ on a base adds its two files, as
    // shapetool writes them with that base, and no snippet.
    constexpr Box over{19, 343, 400, 408}, under{19, 427, 400, 444};
    const auto says = [&](const Picture& p) { return count(p, white, over) > 0; };
    editor.key("ctrl+e");
    const auto [stl, mesh] = editor.added(".stl");
    EXPECT_TRUE(says(editor.capture(says)));
    const std::string name = stl.substr(0, stl.size() - 4), stem = folder + "/shapes/" + name;
    EXPECT_EQ(editor.added(), std::pair(name + ".bas", text));
    const auto shapetool = test_support::run_program(
        SHAPETOOL_EXECUTABLE, {"export", stem + ".bas", "-o", "want.stl", "--fit", "50"}, folder);
    EXPECT_EQ(mesh, file_text(folder + "/want.stl")) << shapetool.standard_error;
    // Profile is open, so Export's title is the leftmost.
    editor.click({export_title.left - 120, 454}), editor.click(format_list), editor.click(second_format);
    editor.enter(base_entry, "2");
    editor.key("ctrl+e");
    const auto [obj, based] = editor.added(".obj");
    EXPECT_EQ(std::pair(obj, editor.added(".mtl").first), std::pair(name + ".obj", name + ".mtl"));
    fs::create_directory(folder + "/want");
    test_support::run_program(SHAPETOOL_EXECUTABLE,
                              {"export", stem + ".bas", "-o", "want/" + obj, "--fit", "50", "--base", "2"}, folder);
    EXPECT_EQ(based, file_text(folder + "/want/" + obj));
    // Ctrl+P: the window's view at its size, without the bars' text, frames or ticks.
    editor.key("ctrl+p");
    EXPECT_EQ(editor.added(".png").first, name + ".png");
    const Picture view = run("convert " + stem + ".png -depth 8 rgb:-");
    ASSERT_EQ(view.size(), 640u * 480 * 3);
    EXPECT_EQ(std::tuple(count(view, white), count(view, {55, 55, 64}), count(view, check_mark)), std::tuple(0, 0, 0));
    EXPECT_GT(3 * shape(view), 2 * lit) << "its lines as wide as the window's";
    // Smooth: besides the ground's, the wire's and the three axes' colours, shades between them along their edges.
    EXPECT_GT(shades(view, right_half), 8u);
    ASSERT_EQ(editor.save().second, text);

    // With Auto Edit off a typed value leaves the grid as it was: nothing is written, and the line says why under the
    // history (its rightmost pixel in its last character). So does a read-only shapes/, above it with no black band
    // over the open Export bar, and the editor goes on.
    const auto before = std::distance(fs::directory_iterator(folder + "/shapes"), {});
    editor.click({133, 126}), editor.at(bar_middle, "click --repeat 20 --delay 30 5"), editor.enter(n1_scrolled, "3");
    editor.at(bar_middle, "click --repeat 20 --delay 30 4");
    const int reset_first = 10 * int(std::strlen("nothing written: press Reset first")) + 10;
    const auto ends_at = [&](const Picture& p, int last) {
        int right = under.right;
        while (right > under.left && count(p, white, {right - 1, under.top, right, under.bottom}) == 0)
            --right;
        return right > last && right <= last + 10;
    };
    editor.key("ctrl+e");
    EXPECT_TRUE(ends_at(editor.capture([&](const Picture& p) { return ends_at(p, reset_first); }), reset_first));
    editor.key("space");
    fs::permissions(folder + "/shapes", fs::perms(0555));
    editor.key("ctrl+e"); // "shapes/NAME.bas: cannot create: Permission denied"
    const Picture read_only = editor.capture(
        [&](const Picture& p) { return !ends_at(p, reset_first) && (says(p) || count(p, white, under) > 0); });
    EXPECT_TRUE(says(read_only));
    EXPECT_EQ(count(read_only, {0, 0, 0}, {404, 337, 624, 464}), 0);
    fs::permissions(folder + "/shapes", fs::perms(0755));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder + "/shapes"), {}), before);

    fs::rename(folder + "/shapes", folder + "/kept");
    editor.click(save_button);
    EXPECT_EQ(editor.wait_for_exit(), 2);
    EXPECT_EQ(editor.output("stderr"),
              "\r\nAborting due to runtime error 2 (file not found) in SUPERSHAPE::SAVE_ME()\r\n\r\n");
}

TEST_F(EditorE2E, CloseEndsWith0AndWhatCannotStartIsRefusedWithOneLine)
{
    {
        Editor editor(folder);
        editor.capture([](const Picture& p) { return count(p, yellow) > 100; });
        // In a larger window the main bar grows to its last entry (Ztranslate) and Explore opens in its corner,
        // leaving the whole shape in sight.
        run("xdotool windowsize " + editor.window + " 1280 960");
        constexpr Box last_entry{20, 668, 100, 690}, explore_corner{1045, 625, 1265, 955};
        // Once the shape too is drawn at the new size: the same in two pictures running.
        int before = -1;
        const Picture folded = editor.capture([&](const Picture& p) {
            const int shown = count(p, yellow, large_whole);
            return count(p, white, last_entry) > 20 && std::exchange(before, shown) == shown;
        });
        EXPECT_GT(count(folded, white, last_entry), 20) << "the main bar did not grow";
        editor.click({1120, 940});
        editor.at({5, 955});
        const Picture opened = editor.capture([&](const Picture& p) { return count(p, white, explore_corner) > 100; });
        EXPECT_GT(count(opened, white, explore_corner), 100) << "Explore did not open in its corner";
        EXPECT_EQ(count(opened, yellow, large_whole), count(folded, yellow, large_whole));
        editor.request_close();
        EXPECT_EQ(editor.wait_for_exit(), 0);
    }

    // Without a display the window cannot open (status 0); a bad argument is refused first.
    const std::tuple<std::vector<std::string>, int, std::string, std::string> cases[] = {
        {{}, 0, "Failed to initialize GLFW!\n", ""},
        {{"none.bas"}, 2, "", "none.bas: cannot read: No such file or directory\n"},
        {{"bad.bas", "none.bas"}, 2, "", "usage: supershape [SNIPPET.bas] (supershape --help says more)\n"},
        {{"--version"}, 0, "supershape " SUPERSHAPE_VERSION "\n", ""},
    };
    for (const auto& [arguments, status, output, error] : cases) {
        const auto r = test_support::run_program(SUPERSHAPE_EXECUTABLE, arguments, folder);
        EXPECT_EQ(std::tie(r.exit_status, r.standard_output, r.standard_error), std::tie(status, output, error));
    }
    const auto full = test_support::run_program("/bin/sh", {"-c", SUPERSHAPE_EXECUTABLE " --help > /dev/full"}, folder);
    EXPECT_EQ(std::pair(full.exit_status, full.standard_error),
              std::pair(3, std::string("supershape: standard output: cannot write: No space left on device\n")));
}

// A preset and a random draw, undone and redone by keys and the button: each step's picture comes back as it was (the
// values are the history's unit test's); the solid view shades; a snippet in shapes/ that cannot be read is said once.
// Esc closes the colour picker, then drops a typed value, then ends the editor, keeping the last shape.
TEST_F(EditorE2E, UndoAndRedoBringBackAPresetAndADrawAsTheyWereAndTheSolidViewShades)
{
    fs::create_directories(folder + "/state/supershape");
    fs::create_directories(folder + "/shapes");
    fs::copy_file(SOURCE_DIR "/examples/lemon.bas", folder + "/state/supershape/last.bas"); // the first preset
    std::ofstream(folder + "/shapes/bad.bas") << "x\n";
    Editor editor(folder);
    ASSERT_FALSE(editor.window.empty()) << "no window appeared";
    const Picture start = editor.capture([](const Picture& p) { return count(p, yellow) > 100; });
    // The colour picker, then Radius typed into (the bar scrolled to its end and back).
    for (const auto& [where, scroll] : {std::pair(colour_box, ""), {radius_scrolled, "5"}}) {
        if (*scroll)
            editor.at(bar_middle, std::string("click --repeat 20 --delay 30 ") + scroll);
        editor.click(where), editor.key("ctrl+a"), editor.type("3"), editor.key("Escape Return");
        editor.at({5, 475});
        EXPECT_EQ(differing(editor.capture([&](const Picture& p) { return differing(p, start) == 0; }), start), 0)
            << where.y;
    }
    editor.at(bar_middle, "click --repeat 20 --delay 30 4");
    // Either bottom bar open leaves four fifths of the shape in sight; opening Explore folds Profile.
    editor.click(profile_middle);
    const Picture profile_open = editor.capture([](const Picture& p) { return count(p, white, profile_rows) > 100; });
    EXPECT_GT(count(profile_open, white, profile_rows), 100) << "Profile did not open";
    EXPECT_GE(count(profile_open, yellow) * 5, count(start, yellow) * 4) << "Profile open";
    editor.click(explore_arrow);

    std::vector<Picture> pictures{editor.capture()};
    EXPECT_GE(count(pictures[0], yellow) * 5, count(start, yellow) * 4) << "Explore open";
    // Acts, moves the pointer off the bars' tooltips and keeps what the step shows.
    const auto step = [&](const std::function<void()>& act) {
        act();
        editor.at({5, 475});
        pictures.push_back(editor.capture([&](const Picture& p) { return differing(p, pictures.back()) > 0; }));
        EXPECT_GT(differing(pictures.back(), pictures[pictures.size() - 2]), 0) << "step " << pictures.size() - 1;
    };
    // The preset first, while the start values have one set: the two-set lemon must unlink them.
    step([&] { editor.click(preset_list), editor.click({preset_list.x, preset_list.y + 23}); });
    EXPECT_EQ(editor.save().second, file_text(SOURCE_DIR "/examples/lemon.bas"));
    step([&] { editor.click(random_button); });

    // Step `i` shown again after the keys `act`, or the Undo button when none.
    const auto back_at = [&](std::size_t i, const std::string& act) {
        act.empty() ? editor.click(undo_button) : editor.key(act);
        editor.at({5, 475});
        const Picture shown = editor.capture([&](const Picture& p) { return differing(p, pictures[i]) == 0; });
        EXPECT_EQ(differing(shown, pictures[i]), 0) << act << " to step " << i;
    };
    for (std::size_t i = pictures.size() - 1; i > 0; --i)
        back_at(i - 1, i % 2 ? "ctrl+z" : "");
    for (std::size_t i = 1; i < pictures.size(); ++i)
        back_at(i, i % 2 ? "ctrl+y" : "ctrl+shift+z");
    // Lit, the surface has many shades where the wire strip has one colour.
    editor.click(solid_box);
    editor.at({5, 475});
    EXPECT_GT(shades(editor.capture([&](const Picture& p) { return shades(p) > 30; })), 30u);

    const std::string last = editor.save().second;
    editor.key("Escape");
    EXPECT_EQ(editor.wait_for_exit(), 0);
    EXPECT_EQ(file_text(folder + "/state/supershape/last.bas"), last);
    const std::string error = editor.output("stderr");
    EXPECT_EQ(error.substr(0, 18), "shapes/bad.bas:1: ");
    EXPECT_EQ(std::count(error.begin(), error.end(), '\n'), 1) << error;
}
