// The definition parser alone; the editor's own bar is checked in the panel's GL tests.
#include "panel/definition.h"

#include <gtest/gtest.h>

using panel::parse_definition;

TEST(Definition, EitherQuotesSpacedEqualsAnyCaseOfKeyNamesAndMalformedTextsSayWhy)
{
    const panel::Parse_result result =
        parse_definition(" label=\"It's\" key = space help='say \"hi\"' min=+2.5 max=2.5 step=0.250 alpha ");
    const panel::Definition& d = result.definition;
    EXPECT_EQ(std::tuple(result.error, *d.label, *d.help, d.alpha), std::tuple("", "It's", "say \"hi\"", true));
    EXPECT_EQ(d.keys, (std::vector<panel::Definition::Shortcut>{{32}}));
    EXPECT_EQ(std::tuple(*d.min, *d.max, *d.step, d.step_decimals), std::tuple(2.5, 2.5, 0.25, 3));
    using Chords = std::vector<panel::Definition::Shortcut>;
    EXPECT_EQ(parse_definition("key=r key=ctrl+z key=Shift+Ctrl+z").definition.keys,
              (Chords{{'R'}, {'Z', true}, {'Z', true, true}}));

    const std::pair<const char*, const char*> malformed[] = {{" label='Reset", "missing closing quote for label"},
                                                             {" min=", "missing value for min"},
                                                             {" min=abc", "'abc' is not a number for min"},
                                                             {" max=1e999", "'1e999' is not a number for max"},
                                                             {" colour='red'", "unknown attribute 'colour'"},
                                                             {" key=F13", "unknown key 'F13'"},
                                                             {" key=CTRL+CTRL+Z", "unknown key 'CTRL+CTRL+Z'"},
                                                             {" key=CTRL+", "unknown key 'CTRL+'"},
                                                             {" label", "'label' needs a value"},
                                                             {" =3", "unexpected '='"},
                                                             {" min=5 max=1", "min is above max"},
                                                             {" step=0", "step must be above 0"}};
    for (const auto& [text, reason] : malformed)
        EXPECT_EQ(parse_definition(text).error, reason) << text;
}
