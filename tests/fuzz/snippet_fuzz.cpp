// Any bytes read as a snippet give a record or one line naming the file and a
// line within it; a record written as Save writes it reads back to the same
// record, and writing that gives the same text.
#include "params/fields.h"
#include "snippet/snippet.h"
#include "tests/fuzz/fuzz_check.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

namespace {

// The saved fields alike, floats bit for bit.
bool same_saved_fields(const Tparams& p, const Tparams& q)
{
    return std::all_of(std::begin(params::saved_fields), std::end(params::saved_fields), [&](const params::Field& f) {
        switch (f.kind) {
        case params::Kind::number: return std::memcmp(&(p.*f.number), &(q.*f.number), sizeof(float)) == 0;
        case params::Kind::count: return p.*f.count == q.*f.count;
        case params::Kind::colour: return std::equal(p.*f.colour, p.*f.colour + 4, q.*f.colour);
        case params::Kind::text: return p.*f.text == q.*f.text;
        }
        return false;
    });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view contents(reinterpret_cast<const char*>(data), size);
    Tparams read;
    const runtime::Status status = snippet::parse(contents, "fuzz.bas", read);
    if (!status.ok()) {
        // "fuzz.bas:LINE: expected ..., found ...", LINE from 1 to one past the last.
        const std::string& message = status.message;
        FUZZ_REQUIRE(status.kind == runtime::Status::Kind::refused);
        FUZZ_REQUIRE(message.find_first_of("\r\n") == std::string::npos);
        FUZZ_REQUIRE(message.rfind("fuzz.bas:", 0) == 0);
        const long line = std::strtol(message.c_str() + 9, nullptr, 10);
        const long lines = std::count(contents.begin(), contents.end(), '\n') + 1;
        FUZZ_REQUIRE(line >= 1 && line <= lines + 1);
        FUZZ_REQUIRE(message.find(": expected ") != std::string::npos);
        return 0;
    }
    const std::string text = snippet::text(read);
    Tparams again, third;
    FUZZ_REQUIRE(snippet::parse(text, "saved.bas", again).ok());
    FUZZ_REQUIRE(snippet::text(again) == text);
    FUZZ_REQUIRE(snippet::parse(snippet::text(again), "saved.bas", third).ok() && same_saved_fields(third, again));
    return 0;
}
