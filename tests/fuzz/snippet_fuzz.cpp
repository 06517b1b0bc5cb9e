// Any bytes read as a snippet give a record or one line naming the file and a line within it; the record written as
// Save writes it reads back and writes the same text. That Save's records read back bit for bit is the snippet unit
// test's round trip.
#include "snippet/snippet.h"
#include "tests/fuzz/fuzz_check.h"

#include <algorithm>
#include <cstdint>
#include <string>

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
    Tparams again;
    FUZZ_REQUIRE(snippet::parse(text, "saved.bas", again).ok());
    FUZZ_REQUIRE(snippet::text(again) == text);
    return 0;
}
