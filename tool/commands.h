// shapetool's commands as functions: the command line only parses into
// these option records, so tests call the work directly.
#pragma once

#include "mesh/placement.h"
#include "params/fields.h"

#include <bitset>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace shapetool {

enum Exit_status : int {
    exit_success = 0,
    exit_usage = 1,
    // A snippet refused, or a shape that cannot be meshed or written as asked.
    exit_bad_input = 2,
    // An output that could not be written.
    exit_output_failed = 3,
};

// Parameter values given as flags; each replaces the snippet's value, or the
// editor's start value when no snippet is given.
struct Parameter_flags {
    // The values given, in their fields.
    Tparams values;
    // Which of the saved fields (params/fields.h) were given, in its order.
    std::bitset<params::saved_field_count> given;

    bool any() const { return given.any(); }
    void apply(Tparams& params) const;
};

// Where messages go: results to `out`, progress and errors to `err`.
// Errors read "shapetool: PATH: what is wrong", one line each.
struct Console {
    std::ostream& out;
    std::ostream& err;
    // Whether `err` is a terminal, which decides how progress shows.
    bool err_is_terminal = false;
    // Whether standard output is a terminal, which refuses binary output.
    bool out_is_terminal = false;
};

// The name that stands for standard input, and for standard output with -o.
constexpr char standard_stream[] = "-";

// The shapes a command works on: snippet files, folders of them, "-" for
// standard input, or the flags alone.
struct Shape_inputs {
    std::vector<std::string> files;
    Parameter_flags flags;
    // Leaves out the line per file; errors still show.
    bool quiet = false;
};

struct Info_options {
    Shape_inputs inputs;
    bool json = false;
    bool raw = false;
};

struct Export_options {
    Shape_inputs inputs;
    // One output file, its format from the extension, or "-" for standard
    // output with --format ...
    std::string output;
    // ... or a folder, made when missing, with one file per input in --format.
    std::string outdir;
    std::string format;
    bool raw = false;
    // The largest side in millimetres; 0 keeps the shape's own size.
    double fit = 0;
    // Which way is up in the file; empty for what the format's readers assume.
    std::optional<mesh::Up> up;
    // OBJ without its vertex normals.
    bool no_normals = false;
};

struct Render_options {
    Shape_inputs inputs;
    // One PNG file or "-", or a folder with one per input.
    std::string output;
    std::string outdir;
    int width = 640, height = 480;
    // The closed mesh as a lit surface instead of the wire strip.
    bool solid = false;
    // Degrees about the vertical axis.
    float turn = 0.0f;
    // A transparent ground instead of black.
    bool transparent = false;
};

struct Gallery_options {
    Shape_inputs inputs;
    std::string output;
    // 0: about as many columns as rows.
    int columns = 0;
    int thumb_width = 160, thumb_height = 120;
    bool solid = false;
    float turn = 0.0f;
};

struct Animate_options {
    // One shape turns a full circle; two or more morph in order.
    Shape_inputs inputs;
    // The animated file, its format from the extension (.webp or .gif) ...
    std::string output;
    // ... and or a folder, made when missing, for each frame as a PNG file.
    std::string frames_dir;
    int frames = 60;
    int fps = 30;
    int width = 480, height = 480;
    // The editor's wire strip instead of the lit closed mesh.
    bool wire = false;
    bool transparent = false;
    // WebP's: lossy at a quality from 0 to 100 unless lossless.
    static constexpr int default_quality = 75;
    std::optional<int> quality;
    bool lossless = false;
    // A morph's: back to the first shape, and degrees turned a leg.
    bool loop = false;
    std::optional<float> turn;
};

struct Random_options {
    // Values given fix those fields (the grid 100 x 100 unless given).
    Parameter_flags flags;
    // Formula numbers and "color" kept from the flags or the start values.
    std::vector<std::string> keep;
    int count = 10;
    // From the clock, and said, when not given.
    std::optional<std::uint64_t> seed;
    std::string outdir;
    bool quiet = false;
};

int info(const Info_options& options, Console& console);
int export_meshes(const Export_options& options, Console& console);
int render(const Render_options& options, Console& console);
int gallery(const Gallery_options& options, Console& console);
int animate(const Animate_options& options, Console& console);
int random_shapes(const Random_options& options, Console& console);

// A command line, read: the command's name and its options.
struct Command_line {
    std::string command;
    Info_options info;
    Export_options export_options;
    Render_options render;
    Gallery_options gallery;
    Animate_options animate;
    Random_options random;
};

// Reads `argv` into `line` and touches nothing but `console`: no file is
// opened. Returns the exit status when there is nothing left to run (help,
// the version, or a usage error in one line); nothing when `line` holds a
// command whose every value is within the limits --help gives.
std::optional<int> parse_command_line(int argc, const char* const argv[], Command_line& line, Console& console);

// Runs the command `line` names.
int run(const Command_line& line, Console& console);

// Parses `argv` and runs the command it names.
int run(int argc, const char* const argv[], Console& console);

} // namespace shapetool
