#include "runtime/text.h"

#include <gtest/gtest.h>

// What a hostile name could make a terminal do is shown as bytes: C0 and C1 controls, DEL, and every byte that
// starts no UTF-8 character (a stray continuation, an overlong form, a surrogate, one cut short); characters stay.
TEST(OneLine, ControlsAndBytesThatAreNotUtf8ShowAsBytes)
{
    const std::pair<std::string, std::string> cases[] = {
        {"a\tb\n\x7f", "a\\x09b\\x0a\\x7f"},
        {"\xc2\x9b"
         "2J\xc2\x85",
         "\\xc2\\x9b2J\\xc2\\x85"},
        {"\xc2\xa0\xc3\xa9\xe2\x82\xac\xf0\x9f\x99\x82\xf4\x8f\xbf\xbf",
         "\xc2\xa0\xc3\xa9\xe2\x82\xac\xf0\x9f\x99\x82\xf4\x8f\xbf\xbf"},
        {"\xe9t\xe9", "\\xe9t\\xe9"},
        {"\x80\xc0\xaf\xe0\x9f\xbf\xed\xa0\x80\xf4\x90\x80\x80",
         "\\x80\\xc0\\xaf\\xe0\\x9f\\xbf\\xed\\xa0\\x80\\xf4\\x90\\x80\\x80"},
        {"\xe2\x82", "\\xe2\\x82"},
    };
    for (const auto& [text, shown] : cases)
        EXPECT_EQ(runtime::one_line(text), shown);
}
