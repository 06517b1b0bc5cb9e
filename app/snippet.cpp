// The snippet text, its file name and the safe write behind the Save button.
#include "app/snippet.h"

#include "app/maker.h"
#include "runtime/fatal_error.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <ctime>
#include <iterator>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::size_t print_zone_width = 14;
// Long enough for every field name, so "=" and the values line up.
constexpr std::size_t label_width = 23;
constexpr int significant_digits = 7;

const runtime::Error_site save_site{"supershape", "save_me"};

// Text laid out in print zones: a fill moves the next item to the start of
// the next zone, counting columns from the last line break.
class Print_zones {
public:
    void item(std::string_view text)
    {
        text_ += text;
        const std::size_t last_break = text.find_last_of("\r\n");
        column_ = last_break == std::string_view::npos ? column_ + text.size() : text.size() - last_break - 1;
    }

    void fill()
    {
        const std::size_t next_zone = (column_ / print_zone_width + 1) * print_zone_width;
        text_.append(next_zone - column_, ' ');
        column_ = next_zone;
    }

    void line(std::string_view text)
    {
        item(text);
        item("\r\n");
    }

    std::string text() const { return text_; }

private:
    std::string text_;
    std::size_t column_ = 0;
};

// Seven significant digits, the shortest form, a space where a sign would be.
std::string single_text(float value)
{
    char digits[32];
    const auto end = std::to_chars(std::begin(digits), std::end(digits), static_cast<double>(value),
                                   std::chars_format::general, significant_digits).ptr;
    const std::string text(digits, end);
    return text.front() == '-' ? text : " " + text;
}

std::string integer_text(std::int32_t value)
{
    return (value < 0 ? "" : " ") + std::to_string(value);
}

// The label and "=", leaving the column where the value starts.
void assignment(Print_zones& out, const char* field)
{
    std::string label = std::string("\t\tparams.") + field;
    label.resize(label_width, ' ');
    out.item(label);
    out.fill();
    out.item("=");
    out.fill();
}

void assignment(Print_zones& out, const char* field, float value)
{
    assignment(out, field);
    out.line(single_text(value));
}

void assignment(Print_zones& out, const char* field, std::int32_t value)
{
    assignment(out, field);
    out.line(integer_text(value));
}

std::tm local_now()
{
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    localtime_r(&now, &parts);
    return parts;
}

// Files get the permissions of any other new file; a temporary one starts
// private.
mode_t new_file_mode()
{
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

bool write_all(int file, std::string_view text)
{
    while (!text.empty()) {
        const ssize_t written = write(file, text.data(), text.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        text.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

[[noreturn]] void abandon(const std::string& temporary, int error)
{
    unlink(temporary.c_str());
    runtime::fatal_error(error, save_site);
}

} // namespace

std::string snippet_text(const Tparams& params)
{
    const std::string rule = "'' " + std::string(64, '=');
    Print_zones out;
    out.line(rule);
    out.line("'' SuperShape");
    out.line(std::string("'' Made by ") + maker::program_name);
    out.line(std::string("'' ") + maker::name);
    out.line(std::string("'' ") + maker::web_address);
    out.line(rule);
    out.line("sub load_shape(byref shape as Nsupershape.Tsupershape ptr, byref params as Tparams)");
    out.line("");

    assignment(out, "a", params.a);
    assignment(out, "b", params.b);
    assignment(out, "m", params.m);
    assignment(out, "n1", params.n1);
    assignment(out, "n2", params.n2);
    assignment(out, "n3", params.n3);
    assignment(out, "radius", params.radius);
    assignment(out, "slices", params.slices);
    assignment(out, "bands", params.bands);
    assignment(out, "scale", params.scale);

    assignment(out, "color");
    out.item(" type(");
    for (int i = 0; i < 4; ++i) {
        if (i > 0)
            out.item(",");
        out.item(std::to_string(static_cast<unsigned>(params.color[i])));
    }
    out.line(")");

    assignment(out, "rot_str");
    out.item(" \"");
    out.item(params.rot_str);
    out.line("\"");

    out.line("");
    out.line("\t\tdelete shape");
    out.line("\t\tshape = null");
    out.line("\t\tshape = new Nsupershape.Tsupershape");
    out.line("\t\tshape->reload(params.radius,params.slices,params.bands,_");
    out.line("\t\t       \t\t  params.a,params.b,params.m,_");
    out.line("\t\t       \t\t  params.n1,params.n2,params.n3)");
    out.line("\t\tshape->scale(params.scale,params.scale,params.scale)");
    out.line("\t\tshape->set_color(params.color(0),params.color(1),params.color(2),params.color(3))");
    out.line("");
    out.line("end sub");
    return out.text();
}

std::string snippet_file_name(const Local_time& time, const Local_date& date)
{
    char name[96];
    std::snprintf(name, sizeof name, "shapes/shape_%02d-%02d-%04d_%02d_%02d_%02d.bas", date.month, date.day,
                  date.year, time.hours, time.minutes, time.seconds);
    return name;
}

void save_me(const std::string& filename, const Tparams& params)
{
    const std::string text = snippet_text(params);
    // Written beside the final name and renamed over it, so that a failed
    // save neither leaves a truncated file nor destroys an earlier one.
    std::string temporary = filename + ".XXXXXX";
    const int file = mkstemp(temporary.data());
    if (file < 0)
        runtime::fatal_error(runtime::file_not_found, save_site);
    if (!write_all(file, text) || fchmod(file, new_file_mode()) != 0 || fsync(file) != 0) {
        close(file);
        abandon(temporary, runtime::file_io_error);
    }
    if (close(file) != 0)
        abandon(temporary, runtime::file_io_error);
    if (std::rename(temporary.c_str(), filename.c_str()) != 0) {
        // A folder of that name refuses the file as creating it would.
        abandon(temporary, errno == EISDIR ? runtime::file_not_found : runtime::file_io_error);
    }
}

void savecb(void* client_data)
{
    const Tparams& params =
        runtime::checked_deref(static_cast<const Tparams*>(client_data), {"supershape", "savecb"});
    // Time first, then the date, in two reads: a save across midnight pairs
    // the old time with the new date.
    const std::tm time = local_now();
    const std::tm date = local_now();
    save_me(snippet_file_name({time.tm_hour, time.tm_min, time.tm_sec},
                              {date.tm_mon + 1, date.tm_mday, date.tm_year + 1900}),
            params);
}
