#include "snippet/snippet.h"
#include "tests/support/scratch_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <fstream>

namespace {

const Tparams start = [] {
    Tparams params;
    set_start_values(params);
    return params;
}();

// Why the file at the path is refused; empty when it is read.
std::string read_file_message(const std::string& path)
{
    Tparams ignored;
    return snippet::read_file(path, ignored).message;
}

} // namespace

// The examples are files Save wrote: the start values on a 64 x 64 grid are examples/star.bas, byte for byte.
const std::string star_text = test_support::file_text(SOURCE_DIR "/examples/star.bas");

TEST(SnippetText, StartValuesByteForByteNumbersAndFileName)
{
    Tparams star = start;
    star.slices = star.bands = 64;
    EXPECT_EQ(snippet::text(star), star_text);

    // 7 significant digits as C's %g writes them, with a sign space for values >= 0; counts alike.
    const std::pair<float, std::string> numbers[] = {
        {0.0f, " 0"},      {1.0f / 3, " 0.3333333"}, {4.0f / 3, " 1.333333"},
        {-2.25f, "-2.25"}, {1e-5f, " 1e-05"},        {12345678.0f, " 1.234568e+07"},
        {NAN, " nan"},     {INFINITY, " inf"},       {-INFINITY, "-inf"}};
    for (const auto& [value, written] : numbers) {
        Tparams params = start;
        params.scale = value, params.bands = -3;
        EXPECT_NE(snippet::text(params).find(
                      "=             -3\r\n\t\tparams.scale              =             " + written + "\r\n"),
                  std::string::npos)
            << written;
    }
    EXPECT_EQ(snippet::file_name({9, 5, 7}, {12, 5, 2026}), "shapes/shape_12-05-2026_09_05_07.bas");
}

// The reader names the file, the line and what it expected.
TEST(SnippetReader, RefusalsNameTheLineAndWhatWasExpected)
{
    const std::string& text = star_text;
    const auto edit = [&](const std::string& from, const std::string& to) {
        return std::string(text).replace(text.find(from), from.size(), to);
    };
    const std::string names = "one of the fields a, b, m, n1, n2, n3, a2, b2, m2, n1_2, n2_2, n3_2, radius, slices, "
                              "bands, scale, torus, twist, color, rot_str";
    const auto before_scale = [&](const std::string& lines) {
        return edit("\t\tparams.scale", lines + "\t\tparams.scale");
    };
    const std::pair<std::string, std::string> cases[] = {
        {edit("4\r\n", "4,5\r\n"), "11: expected a number after \"params.m =\", found \"4,5\""},
        {edit("0.3", "inf"), "12: expected a finite number after \"params.n1 =\", found \"inf\""},
        {edit("1\r\n\t\tparams.slices", "-1e39\r\n\t\tparams.slices"),
         "15: expected a number within single precision after \"params.radius =\", found \"-1e39\""},
        {edit("64\r\n", "1000\r\n"), "16: expected a count from 1 to 999 after \"params.slices =\", found \"1000\""},
        {edit("64,255", "64,256"), "19: expected type(red,green,blue,alpha) with bytes from 0 to 255 after "
                                   "\"params.color =\", found \"type(255,255,64,256)\""},
        {edit(": \"", ": "), "20: expected a text in double quotes after \"params.rot_str =\", found \"\"rotations:\""},
        {edit("params.b ", "params.a "), "10: expected each field once, found \"params.a\" again (first on line 9)"},
        {edit("params.b ", "params.q "), "10: expected " + names + ", found \"params.q\""},
        {edit("\t\tparams.n3                 =              1\r\n", ""),
         "21: expected an assignment to params.n3, found \"delete shape\""},
        {edit("\t\tparams.radius", "\t\tparams.m2 = 3\r\n\t\tparams.radius"),
         "23: expected an assignment to params.a2, found \"delete shape\""},
        {before_scale("params.torus = 2\r\nparams.torus = 3\r\n"),
         "19: expected each field once, found \"params.torus\" again (first on line 18)"},
        {before_scale("params.torus = -0.5\r\n"),
         "18: expected a number of at least 0 after \"params.torus =\", found \"-0.5\""},
        {before_scale("params.twist = nan\r\n"),
         "18: expected a finite number after \"params.twist =\", found \"nan\""},
        {before_scale("params.twist = 30\r\n"),
         "29: expected \"shape->set_twist(params.twist)\", found \"shape->scale(params.scale,params.scale,p...\""},
        {edit("a                  =", "a                  :"), "9: expected \"=\" after \"params.a\", found \": 1\""},
        {edit("SuperShape", "Supershape"), ""},
        {"\xEF\xBB\xBF" + text, ""},
        {edit("'' SuperShape", "' SuperShape"),
         "2: expected \"sub load_shape(byref shape as Nsupershap...\", found \"' SuperShape\""},
        {"'' comment\r\n  ''\r\n\r\n", "1: expected a snippet, found only comments and blank lines"},
        {"\xEF\xBB\xBF", "1: expected a snippet, found an empty file"},
        {edit("delete shape", "delete  shapes"), "22: expected \"delete shape\", found \"delete shapes\""},
        {edit("params.bands,_", "params.band,_"), "25: expected \"...arams.bands,_\", found \"...arams.band,_\""},
        {text + "end sub\r\n", "32: expected the end of the file after \"end sub\", found \"end sub\""},
        {text.substr(0, text.find("\r\n\r\n\t\tdelete") + 2),
         "21: expected \"delete shape\", found the end of the file"},
        {edit("Super", std::string("Super\0", 6)), "2: expected text, found the control byte 0x00"},
        {edit("SuperShape\r\n", "SuperShape\r\r\n"), "2: expected text, found the control byte 0x0D"},
        {edit("Shape", std::string(20000, 'x')), "2: expected a line of at most 16384 characters, found one of 20008"},
    };
    for (const auto& [contents, message] : cases) {
        Tparams ignored;
        EXPECT_EQ(snippet::parse(contents, "shapes/x.bas", ignored).message,
                  message.empty() ? "" : "shapes/x.bas:" + message);
    }
}

// Blank lines are allowed, but not megabytes of them; nor folders or devices.
TEST(SnippetReader, FoldersDevicesAndLargeFilesAreRefused)
{
    const test_support::Scratch_folder scratch("snippet_test");
    const std::string folder = scratch.path(), big_file = scratch / "big.bas";
    const std::string big = star_text + std::string(4 << 20, '\n');
    std::ofstream(big_file, std::ios::binary) << big;
    const std::string cut_line = std::to_string(std::count(big.begin(), big.begin() + snippet::max_file_size, '\n'));
    EXPECT_EQ(read_file_message(folder), folder + ": expected a snippet file, found a folder");
    EXPECT_EQ(read_file_message("/dev/zero"), "/dev/zero: expected a snippet file, found a device");
    EXPECT_EQ(read_file_message(big_file),
              big_file + ":" + cut_line + ": expected a snippet of at most 65536 bytes, found a larger file");
}

// What Save wrote reads back bit for bit, at the floats' and counts' ends and with any text; laid out by other
// editors (tests/snippet/layouts), it reads the same.
TEST(SnippetReader, RoundTripsAndReadsOtherLayouts)
{
    for (const float value : {-0.0f, 3.402823e+38f, -3.402823e+38f, FLT_TRUE_MIN, 1.234568e+07f}) {
        Tparams expected = start;
        expected.scale = expected.n2_2 = value, expected.slices = 1, expected.bands = 999, expected.sets_linked = 0;
        expected.color[0] = 0, expected.rot_str = "rotations: \t\"'=,_\xe9";
        const std::string text = snippet::text(expected);
        Tparams read;
        ASSERT_EQ(snippet::parse(text, "x.bas", read).message, "") << text;
        // Bit for bit up to the text, which the text compares.
        EXPECT_EQ(0, std::memcmp(&read, &expected, offsetof(Tparams, tz) + sizeof expected.tz)) << text;
        EXPECT_EQ(snippet::text(read), text);
    }
    for (const char* layout : {"edited.bas", "windows.bas"}) {
        Tparams read;
        EXPECT_EQ(snippet::read_file(SOURCE_DIR "/tests/snippet/layouts/" + std::string(layout), read).message, "");
        EXPECT_EQ(snippet::text(read), star_text) << layout;
    }
}
