#include "snippet/snippet.h"
#include "app/maker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <regex>
#include <unistd.h>

namespace {

const Tparams start = [] { Tparams params; set_start_values(params); return params; }();

// The record's bytes up to its text, so that floats compare by their bits.
std::string bytes(const Tparams& p)
{
    return std::string(reinterpret_cast<const char*>(&p), offsetof(Tparams, tz) + sizeof p.tz) + p.rot_str;
}

// Any finite bit pattern, both zeros, extremes; counts at their ends or
// anywhere; bytes; texts with blanks and quotes.
Tparams random_record(std::mt19937& random)
{
    const float special[] = {0.0f, -0.0f, FLT_MAX, -FLT_MAX, FLT_TRUE_MIN, 4.0f / 3, 12345678.0f};
    Tparams p = start;
    for (float* f : {&p.a, &p.b, &p.m, &p.n1, &p.n2, &p.n3, &p.radius, &p.scale}) {
        const std::uint32_t b = random();
        std::memcpy(f, &b, sizeof b);
        if (!std::isfinite(*f) || random() % 3 == 0)
            *f = special[random() % std::size(special)];
    }
    const std::int32_t counts[] = {1, 999, std::int32_t(1 + random() % 999)};
    p.slices = counts[random() % 3];
    p.bands = counts[random() % 3];
    for (std::uint8_t& byte : p.color)
        byte = std::uint8_t(random() % 3 == 0 ? 255 * (random() % 2) : random() % 256);
    const std::string letters = "rotations: xyz \t\"'=,_\xe9";
    p.rot_str.clear();
    for (std::size_t n = random() % 30; n > 0; --n)
        p.rot_str += letters[random() % letters.size()];
    return p;
}

// The same snippet as another editor might leave it: assignments shuffled,
// other blanks (or none) between items, LF or CR LF, extra blank lines.
std::string relaid(const std::string& text, std::mt19937& random)
{
    static const std::regex comma(","), blank_run("[ \t]+");
    const auto blanks = [&](std::size_t least) {
        std::string result;
        for (std::size_t n = least + random() % 3; n > 0; --n)
            result += random() % 2 ? ' ' : '\t';
        return result;
    };
    std::vector<std::string> lines;
    for (std::size_t begin = 0, end; (end = text.find("\r\n", begin)) != std::string::npos; begin = end + 2)
        lines.push_back(text.substr(begin, end - begin));
    std::shuffle(lines.begin() + 8, lines.begin() + 20, random);
    std::string result;
    for (std::string line : lines) {
        if (line.rfind("\t\tparams.", 0) == 0) {
            const std::size_t equals = line.find('=');
            std::string value = line.substr(line.find_first_not_of(' ', equals + 1));
            if (value.rfind("type(", 0) == 0)
                value = "type" + blanks(0) + "(" + std::regex_replace(value.substr(5), comma, blanks(0) + ",");
            line = line.substr(2, line.find(' ') - 2) + blanks(0) + "=" + blanks(0) + value;
        } else {
            line = std::regex_replace(line, blank_run, blanks(1));
        }
        result += blanks(0) + line + blanks(0) + (random() % 2 ? "\r\n" : "\n") + (random() % 5 ? "" : blanks(0) + "\n");
    }
    return result;
}

std::string replaced(std::string text, const std::string& from, const std::string& to)
{
    return text.replace(text.find(from), from.size(), to);
}

} // namespace

TEST(SnippetText, StartValuesByteForByteNumbersAndFileName)
{
    const std::string rule = "'' ================================================================\r\n";
    EXPECT_EQ(snippet::text(start),
              rule + "'' SuperShape\r\n'' Made by Morvane\r\n'' Tarnock\r\n'' " + maker::web_address + "\r\n" + rule +
                  "sub load_shape(byref shape as Nsupershape.Tsupershape ptr, byref params as Tparams)\r\n\r\n"
                  "\t\tparams.a                  =              1\r\n"
                  "\t\tparams.b                  =              1\r\n"
                  "\t\tparams.m                  =              4\r\n"
                  "\t\tparams.n1                 =              0.3\r\n"
                  "\t\tparams.n2                 =              1\r\n"
                  "\t\tparams.n3                 =              1\r\n"
                  "\t\tparams.radius             =              1\r\n"
                  "\t\tparams.slices             =              8\r\n"
                  "\t\tparams.bands              =              8\r\n"
                  "\t\tparams.scale              =              1\r\n"
                  "\t\tparams.color              =              type(255,255,64,255)\r\n"
                  "\t\tparams.rot_str            =              \"rotations: \"\r\n"
                  "\r\n\t\tdelete shape\r\n\t\tshape = null\r\n\t\tshape = new Nsupershape.Tsupershape\r\n"
                  "\t\tshape->reload(params.radius,params.slices,params.bands,_\r\n"
                  "\t\t       \t\t  params.a,params.b,params.m,_\r\n"
                  "\t\t       \t\t  params.n1,params.n2,params.n3)\r\n"
                  "\t\tshape->scale(params.scale,params.scale,params.scale)\r\n"
                  "\t\tshape->set_color(params.color(0),params.color(1),params.color(2),params.color(3))\r\n"
                  "\r\nend sub\r\n");

    // 7 significant digits, shortest form, a sign space for values >= 0,
    // exponent form and non-numbers as C writes them; counts alike.
    const std::pair<float, std::string> numbers[] = {
        {0.0f, " 0"},      {-1.0f, "-1"},    {1.0f / 3, " 0.3333333"},        {4.0f / 3, " 1.333333"},
        {-2.25f, "-2.25"}, {1e-5f, " 1e-05"}, {12345678.0f, " 1.234568e+07"}, {1e30f, " 1e+30"},
        {NAN, " nan"},     {INFINITY, " inf"}, {-INFINITY, "-inf"},
    };
    for (const auto& [value, text] : numbers) {
        Tparams params = start;
        params.scale = value;
        params.bands = -3;
        EXPECT_NE(snippet::text(params).find("=             -3\r\n\t\tparams.scale              =             " + text +
                                             "\r\n"), std::string::npos) << text;
    }
    EXPECT_EQ(snippet::file_name({9, 5, 7}, {12, 5, 2026}), "shapes/shape_12-05-2026_09_05_07.bas");
}

// Reading what Save wrote, however it is laid out, gives the nearest floats
// to the written digits (as C reads them) and everything else exactly, and
// writing that again gives the same text. The same file mutated or cut
// gives a record that writes and reads back unchanged, or one line with a
// line number; never a crash.
TEST(SnippetReader, RoundTripsInAnyLayoutAndMutatedFilesGiveARecordOrOneLine)
{
    std::mt19937 random(11);
    const char insertable[] = "0123456789.-e=,()\"'\t \r\n\0\x7f\xff type params.a";
    const std::string alphabet(insertable, sizeof insertable - 1);
    const std::regex message(R"(x\.bas:[0-9]+: expected [^\r\n]+, found [^\r\n]+)");
    int accepted = 0;
    for (int round = 0; round < 3000; ++round) {
        Tparams expected = random_record(random);
        const std::string text = snippet::text(expected);
        for (float* f : {&expected.a, &expected.b, &expected.m, &expected.n1, &expected.n2, &expected.n3,
                         &expected.radius, &expected.scale}) {
            char digits[32];
            std::snprintf(digits, sizeof digits, "%.7g", static_cast<double>(*f));
            *f = std::strtof(digits, nullptr);
        }
        std::string file = relaid(text, random);
        const snippet::Read_result read = snippet::parse(file, "x.bas");
        ASSERT_TRUE(read.params) << read.error << "\n" << file;
        EXPECT_EQ(bytes(*read.params), bytes(expected)) << file;
        EXPECT_EQ(snippet::text(*read.params), text);

        for (int edits = 1 + random() % 3; edits > 0 && !file.empty(); --edits) {
            const std::size_t at = random() % file.size();
            const char byte = alphabet[random() % alphabet.size()];
            switch (random() % 4) {
            case 0: file[at] = byte; break;
            case 1: file.erase(at, 1 + random() % 20); break;
            case 2: file.insert(at, 1 + random() % 3, byte); break;
            default: file.resize(at); break;
            }
        }
        const snippet::Read_result mutated = snippet::parse(file, "x.bas");
        if (!mutated.params) {
            EXPECT_TRUE(std::regex_match(mutated.error, message)) << mutated.error;
            continue;
        }
        ++accepted;
        const std::string again = snippet::text(*mutated.params);
        const snippet::Read_result reread = snippet::parse(again, "x.bas");
        ASSERT_TRUE(reread.params) << reread.error;
        EXPECT_EQ(snippet::text(*reread.params), again);
    }
    EXPECT_GT(accepted, 30) << "the mutations should leave some snippets readable";
}

TEST(SnippetReader, RefusesWithTheFileTheLineAndWhatWasExpected)
{
    const std::string text = snippet::text(start);
    const std::string fields = "one of the fields a, b, m, n1, n2, n3, radius, slices, bands, scale, color, rot_str";
    const std::pair<std::string, std::string> cases[] = {
        {replaced(text, "4\r\n", "4,5\r\n"), "11: expected a number after \"params.m =\", found \"4,5\""},
        {replaced(text, "0.3", "inf"), "12: expected a finite number after \"params.n1 =\", found \"inf\""},
        {replaced(text, "1\r\n\t\tparams.slices", "-1e39\r\n\t\tparams.slices"),
         "15: expected a number within single precision after \"params.radius =\", found \"-1e39\""},
        {replaced(text, "8\r\n", "1000\r\n"), "16: expected a count from 1 to 999 after \"params.slices =\", found \"1000\""},
        {replaced(text, "64,255", "64,256"), "19: expected type(red,green,blue,alpha) with bytes from 0 to 255 after "
                                             "\"params.color =\", found \"type(255,255,64,256)\""},
        {replaced(text, ": \"", ": "), "20: expected a text in double quotes after \"params.rot_str =\", found \"\"rotations:\""},
        {replaced(text, "params.b ", "params.a "), "10: expected each field once, found \"params.a\" again (first on line 9)"},
        {replaced(text, "params.b ", "params.q "), "10: expected " + fields + ", found \"params.q\""},
        {replaced(text, "\t\tparams.n3                 =              1\r\n", ""),
         "21: expected an assignment to params.n3, found \"delete shape\""},
        {replaced(text, "a                  =", "a                  :"), "9: expected \"=\" after \"params.a\", found \": 1\""},
        {replaced(text, "SuperShape", "Supershape"), "2: expected \"'' SuperShape\", found \"'' Supershape\""},
        {replaced(text, "delete shape", "delete  shapes"), "22: expected \"delete shape\", found \"delete shapes\""},
        {text + "end sub\r\n", "32: expected the end of the file after \"end sub\", found \"end sub\""},
        {text.substr(0, text.find("\r\n\r\n\t\tdelete") + 2), "21: expected \"delete shape\", found the end of the file"},
        {"", "1: expected a snippet, found an empty file"},
        {replaced(text, "Super", std::string("Super\0", 6)), "2: expected text, found the control byte 0x00"},
        {replaced(text, "SuperShape\r\n", "SuperShape\r\r\n"), "2: expected text, found the control byte 0x0D"},
        {replaced(text, ": \"", ": " + std::string(20000, 'x') + "\""),
         "20: expected a line of at most 16384 characters, found one of 20056"},
    };
    for (const auto& [contents, message] : cases) {
        const snippet::Read_result read = snippet::parse(contents, "shapes/x.bas");
        EXPECT_FALSE(read.params);
        EXPECT_EQ(read.error, "shapes/x.bas:" + message);
    }
}

// Blank lines are allowed, but not megabytes of them.
TEST(SnippetReader, RefusesFoldersMissingAndOversizedFiles)
{
    const std::string folder = testing::TempDir() + "snippet_read_" + std::to_string(getpid());
    const std::string padded = snippet::text(start) + std::string(4 << 20, '\n');
    std::filesystem::create_directories(folder);
    std::ofstream(folder + "/big.bas", std::ios::binary) << padded;
    const auto cut_line = std::count(padded.begin(), padded.begin() + snippet::max_file_size, '\n');
    const std::pair<std::string, std::string> refused[] = {
        {"/none.bas", "/none.bas: cannot read: No such file or directory"},
        {"", ": expected a snippet file, found a folder"},
        {"/big.bas", "/big.bas:" + std::to_string(cut_line) + ": expected a snippet of at most 65536 bytes, found a larger file"},
    };
    for (const auto& [path, message] : refused)
        EXPECT_EQ(snippet::read_file(folder + path).error, folder + message);
    std::filesystem::remove_all(folder);
}
