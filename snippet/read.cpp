// The reader for snippet files: Save's layout, with freedom only in blanks,
// blank lines, comment lines, line ends and the order of the assignments.
#include "params/fields.h"
#include "snippet/layout.h"
#include "snippet/snippet.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace snippet {
namespace {

constexpr unsigned max_colour_byte = 255;
constexpr int colour_bytes = 4;
// Longer offending texts are cut in messages, which stay one short line.
constexpr std::size_t max_quoted_length = 40;
// Windows editors put one before the text.
constexpr std::string_view byte_order_mark = "\xEF\xBB\xBF";

bool is_blank(char c)
{
    return c == ' ' || c == '\t';
}

bool is_control(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return (byte < 0x20 && c != '\t') || byte == 0x7f;
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && is_blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && is_blank(text.back()))
        text.remove_suffix(1);
    return text;
}

// Runs of blanks as one space, none at the ends: the form fixed lines are
// compared in.
std::string collapsed(std::string_view line)
{
    std::string result;
    for (const char c : trimmed(line)) {
        if (!is_blank(c))
            result += c;
        else if (result.back() != ' ')
            result += ' ';
    }
    return result;
}

// A BASIC comment; Save's header is made of them, and they may stand anywhere.
bool is_comment(std::string_view content)
{
    return content.substr(0, 2) == "''";
}

// `text` in quotes from byte `from`, cut short after max_quoted_length.
std::string quoted(std::string_view text, std::size_t from = 0)
{
    text.remove_prefix(std::min(from, text.size()));
    const std::string shown(text.substr(0, max_quoted_length));
    return (from > 0 ? "\"..." : "\"") + shown + (text.size() > max_quoted_length ? "...\"" : "\"");
}

// Where two lines are quoted from so that their difference shows: the
// start, unless they part too far in, then a little before that.
std::size_t quoted_from(std::string_view one, std::string_view other)
{
    constexpr std::size_t before = 10;
    std::size_t parted = 0;
    while (parted < one.size() && parted < other.size() && one[parted] == other[parted])
        ++parted;
    return parted + before < max_quoted_length ? 0 : parted - before;
}

// The fixed lines of code, in the form they are compared in.
std::vector<std::string> significant(const std::vector<std::string>& lines)
{
    std::vector<std::string> result;
    for (const std::string& line : lines)
        if (!trimmed(line).empty() && !is_comment(trimmed(line)))
            result.push_back(collapsed(line));
    return result;
}

// "type(red,green,blue,alpha)", blanks allowed between the items.
bool colour_value(std::string_view text, std::uint8_t (&colour)[colour_bytes])
{
    const auto literal = [&text](std::string_view word) {
        text = trimmed(text);
        if (text.substr(0, word.size()) != word)
            return false;
        text.remove_prefix(word.size());
        return true;
    };
    if (!literal("type") || !literal("("))
        return false;
    for (int i = 0; i < colour_bytes; ++i) {
        text = trimmed(text);
        unsigned byte = 0;
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), byte);
        if (ec != std::errc{} || byte > max_colour_byte)
            return false;
        colour[i] = static_cast<std::uint8_t>(byte);
        text.remove_prefix(static_cast<std::size_t>(end - text.data()));
        if (!literal(i + 1 < colour_bytes ? "," : ")"))
            return false;
    }
    return trimmed(text).empty();
}

class Parser {
public:
    explicit Parser(std::string_view name) : name_(name)
    {
        set_start_values(params_);
        fixed_ = significant(layout::head_lines());
        fields_at_ = fixed_.size();
        follow_with_tail();
    }

    // `cut` says that `contents` is only the start of a larger file.
    Status run(std::string_view contents, bool cut, Tparams& params)
    {
        if (contents.substr(0, byte_order_mark.size()) == byte_order_mark)
            contents.remove_prefix(byte_order_mark.size());
        if (!read_lines(contents, cut))
            return runtime::failure(Status::Kind::refused, std::move(error_));
        if (second_set_given())
            params_.sets_linked = 0;
        else
            params::link_sets(params_);
        params = std::move(params_);
        return {};
    }

private:
    bool read_lines(std::string_view contents, bool cut)
    {
        if (contents.empty() && !cut)
            return refuse(1, "a snippet", "an empty file");
        int number = 0;
        while (!contents.empty()) {
            ++number;
            const std::size_t end = contents.find('\n');
            std::string_view line = contents.substr(0, end);
            contents.remove_prefix(end == std::string_view::npos ? contents.size() : end + 1);
            if (!line.empty() && line.back() == '\r')
                line.remove_suffix(1);
            if (line.size() > max_line_length)
                return refuse(number, "a line of at most " + std::to_string(max_line_length) + " characters",
                              "one of " + std::to_string(line.size()));
            for (const char c : line) {
                if (is_control(c)) {
                    char byte[8];
                    std::snprintf(byte, sizeof byte, "0x%02X", static_cast<unsigned char>(c));
                    return refuse(number, "text", std::string("the control byte ") + byte);
                }
            }
            // The last line of a cut file may be cut too.
            if (cut && contents.empty())
                break;
            const std::string_view content = trimmed(line);
            if (!content.empty() && !is_comment(content) && !take(number, content))
                return false;
        }
        if (cut)
            return refuse(number, "a snippet of at most " + std::to_string(max_file_size) + " bytes", "a larger file");
        if (next_ == 0)
            return refuse(1, "a snippet", "only comments and blank lines");
        if (next_ < fixed_.size())
            return refuse(number + 1, expectation(), "the end of the file");
        return true;
    }

    // Takes one line that is not blank; false when it is refused.
    bool take(int number, std::string_view content)
    {
        if (next_ == fields_at_ && content.substr(0, std::strlen(layout::field_prefix)) == layout::field_prefix)
            return assignment(number, content);
        const std::string found = collapsed(content);
        if (next_ == fixed_.size())
            return refuse(number, "the end of the file after " + quoted(fixed_.back()), quoted(found));
        if (next_ == fields_at_) {
            if (first_missing())
                return refuse(number, expectation(), quoted(found));
            follow_with_tail();
        }
        if (found != fixed_[next_]) {
            const std::size_t from = quoted_from(found, fixed_[next_]);
            return refuse(number, quoted(fixed_[next_], from), quoted(found, from));
        }
        ++next_;
        return true;
    }

    // The lines after the assignments, which hand the object one set or two
    // and call for each field given that has a call.
    void follow_with_tail()
    {
        std::vector<std::string> set_after;
        for (int i = 0; i < params::saved_field_count; ++i)
            if (params::saved_fields[i].group == params::Group::unless_zero && set_on_[i] != 0)
                set_after.push_back(params::saved_fields[i].name);
        const std::vector<std::string> tail = significant(layout::tail_lines(second_set_given(), set_after));
        fixed_.resize(fields_at_);
        fixed_.insert(fixed_.end(), tail.begin(), tail.end());
    }

    bool second_set_given() const
    {
        for (int i = 0; i < params::saved_field_count; ++i)
            if (params::saved_fields[i].group == params::Group::second_set && set_on_[i] != 0)
                return true;
        return false;
    }

    bool assignment(int number, std::string_view content)
    {
        std::string_view rest = content.substr(std::strlen(layout::field_prefix));
        std::size_t name_end = 0;
        while (name_end < rest.size() &&
               (std::isalnum(static_cast<unsigned char>(rest[name_end])) || rest[name_end] == '_'))
            ++name_end;
        const std::string_view name = rest.substr(0, name_end);
        const std::string label = layout::field_prefix + std::string(name);

        const params::Field* field = params::field_named(name);
        if (!field) {
            std::string names;
            for (const params::Field& known : params::saved_fields)
                names += std::string(names.empty() ? "" : ", ") + known.name;
            return refuse(number, "one of the fields " + names, quoted(label));
        }
        const std::size_t index = static_cast<std::size_t>(field - params::saved_fields);
        if (set_on_[index] != 0)
            return refuse(number, "each field once",
                          quoted(label) + " again (first on line " + std::to_string(set_on_[index]) + ")");
        rest = trimmed(rest.substr(name_end));
        if (rest.empty() || rest.front() != '=')
            return refuse(number, "\"=\" after " + quoted(label), quoted(collapsed(rest)));
        const std::string_view value = trimmed(rest.substr(1));
        const std::string expected = store(*field, value);
        if (!expected.empty())
            return refuse(number, expected + " after " + quoted(label + " ="), quoted(value));
        set_on_[index] = number;
        return true;
    }

    // Puts `value` into the field; returns what was expected instead, or
    // nothing when it fits.
    std::string store(const params::Field& field, std::string_view value)
    {
        const char* const end = value.data() + value.size();
        switch (field.kind) {
        case params::Kind::number: {
            float number = 0;
            const auto result = std::from_chars(value.data(), end, number);
            if (result.ec == std::errc::result_out_of_range)
                return "a number within single precision";
            if (result.ec != std::errc{} || result.ptr != end)
                return "a number";
            if (!std::isfinite(number))
                return "a finite number";
            if (!params::within_limit(field, number))
                return "a number of at least " + params::shortest_text(float(field.min));
            params_.*field.number = number;
            return {};
        }
        case params::Kind::count: {
            std::int32_t count = 0;
            const auto result = std::from_chars(value.data(), end, count);
            if (result.ec != std::errc{} || result.ptr != end || count < field.min || count > field.max)
                return "a count from " + std::to_string(std::int32_t(field.min)) + " to " +
                       std::to_string(std::int32_t(field.max));
            params_.*field.count = count;
            return {};
        }
        case params::Kind::colour:
            if (!colour_value(value, params_.*field.colour))
                return "type(red,green,blue,alpha) with bytes from 0 to " + std::to_string(max_colour_byte);
            return {};
        case params::Kind::text:
            if (value.size() < 2 || value.front() != '"' || value.back() != '"')
                return "a text in double quotes";
            params_.*field.text = value.substr(1, value.size() - 2);
            return {};
        }
        return {};
    }

    // The first field still to be set; the second set is all or nothing.
    const char* first_missing() const
    {
        const bool second_set = second_set_given();
        for (int i = 0; i < params::saved_field_count; ++i)
            if (set_on_[i] == 0 && ((second_set && params::saved_fields[i].group == params::Group::second_set) ||
                                    params::saved_fields[i].group == params::Group::always))
                return params::saved_fields[i].name;
        return nullptr;
    }

    // What the next line that is not blank should be.
    std::string expectation() const
    {
        if (next_ == fields_at_ && first_missing())
            return std::string("an assignment to ") + layout::field_prefix + first_missing();
        return quoted(fixed_[next_]);
    }

    // Keeps the message "NAME:LINE: expected ..., found ..."; always false.
    bool refuse(int number, const std::string& expected, const std::string& found)
    {
        error_ = std::string(name_) + ":" + std::to_string(number) + ": expected " + expected + ", found " + found;
        return false;
    }

    std::string_view name_;
    // Save's lines other than the assignments, which stand at `fields_at_`.
    std::vector<std::string> fixed_;
    std::size_t fields_at_ = 0;
    // The next fixed line expected.
    std::size_t next_ = 0;
    // The line that set each field, 0 while it is unset.
    int set_on_[params::saved_field_count] = {};
    Tparams params_;
    std::string error_;
};

// What `mode` names when it is not a regular file, for messages; null for a
// regular file. Only regular files are read: a FIFO may wait for a writer
// forever, a device may never end.
const char* other_than_file(mode_t mode)
{
    if (S_ISREG(mode))
        return nullptr;
    if (S_ISDIR(mode))
        return "a folder";
    if (S_ISFIFO(mode))
        return "a FIFO";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "a device";
    if (S_ISSOCK(mode))
        return "a socket";
    return "a special file";
}

} // namespace

Status parse(std::string_view contents, std::string_view name, Tparams& params)
{
    return Parser(name).run(contents, false, params);
}

Status read_descriptor(int descriptor, std::string_view name, Tparams& params)
{
    const auto cannot_read = [name](int error) {
        return runtime::failure(Status::Kind::unreadable, std::string(name), std::strerror(error));
    };
    // One byte past the limit tells a larger file.
    std::string contents(max_file_size + 1, '\0');
    std::size_t size = 0;
    while (size < contents.size()) {
        const ssize_t count = read(descriptor, contents.data() + size, contents.size() - size);
        if (count > 0) {
            size += static_cast<std::size_t>(count);
        } else if (count == 0) {
            break;
        } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
            // Another process may have made a shared standard input non-blocking.
            pollfd ready = {descriptor, POLLIN, 0};
            if (poll(&ready, 1, -1) < 0 && errno != EINTR)
                return cannot_read(errno);
        } else if (errno != EINTR) {
            return cannot_read(errno);
        }
    }
    contents.resize(size);
    const bool cut = size > max_file_size;
    return Parser(name).run(std::string_view(contents).substr(0, max_file_size), cut, params);
}

Status read_file(const std::string& path, Tparams& params)
{
    const auto cannot_read = [&path](int error) {
        return runtime::failure(Status::Kind::unreadable, path, std::strerror(error));
    };
    const auto not_a_file = [&path](const char* found) {
        return runtime::failure(Status::Kind::unreadable, path + ": expected a snippet file, found " + found);
    };
    // Looked at before opening, since opening some devices does something.
    struct stat status;
    if (stat(path.c_str(), &status) != 0)
        return cannot_read(errno);
    if (const char* found = other_than_file(status.st_mode))
        return not_a_file(found);
    // Should the path have become a FIFO meanwhile, a blocking open would wait
    // for a writer; read_descriptor waits out any EAGAIN this causes.
    const int file = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (file < 0)
        return cannot_read(errno);
    Status result;
    if (fstat(file, &status) != 0)
        result = cannot_read(errno);
    else if (const char* found = other_than_file(status.st_mode))
        result = not_a_file(found);
    else
        result = read_descriptor(file, path, params);
    close(file);
    return result;
}

} // namespace snippet
