#include "panel/definition.h"

#include <gtest/gtest.h>

using panel::parse_definition;

namespace {

panel::Definition parsed(const char* text)
{
    const panel::Parse_result result = parse_definition(text);
    EXPECT_EQ(result.error, "") << text;
    return result.definition;
}

} // namespace

TEST(Definition, ButtonsWithLabelsAndASpacedKey)
{
    const panel::Definition reset = parsed(" label='Reset Behavior' key = SPACE ");
    EXPECT_EQ(reset.label, "Reset Behavior");
    EXPECT_EQ(reset.key, 32);
    EXPECT_EQ(parsed(" label='Save to file' ").label, "Save to file");
    EXPECT_EQ(parsed(" label='Swap X and Y axes'").label, "Swap X and Y axes");
    EXPECT_FALSE(parsed("").label);
    EXPECT_FALSE(parsed(" label='Exit' ").key);
}

TEST(Definition, SwitchesAndColourKeepTheirHelpTextAsWritten)
{
    const panel::Definition edit = parsed(" label='Auto Edit'  help='Enable to realtime Edit the shape. ' ");
    EXPECT_EQ(edit.label, "Auto Edit");
    EXPECT_EQ(edit.help, "Enable to realtime Edit the shape. ");
    EXPECT_EQ(parsed(" label='Show Axes'  help='Show Axes?. ' ").help, "Show Axes?. ");

    const panel::Definition colour = parsed(" label='Shape color' alpha help='Color and transparency of the shape.' ");
    EXPECT_TRUE(colour.alpha);
    EXPECT_EQ(colour.label, "Shape color");
    EXPECT_EQ(colour.help, "Color and transparency of the shape.");
    EXPECT_FALSE(parsed(" label='Smooth Lines'  help='Enable line smoothing. ' ").alpha);
}

TEST(Definition, NumbersWithRangesAndStepDecimals)
{
    const panel::Definition a = parsed(" label='a' min=-999 max=999 step=0.001 help=' a param' ");
    EXPECT_EQ(a.min, -999.0);
    EXPECT_EQ(a.max, 999.0);
    EXPECT_EQ(a.step, 0.001);
    EXPECT_EQ(a.step_decimals, 3);
    EXPECT_EQ(a.help, " a param");

    const panel::Definition scale = parsed(" label='Scale' min=0.01 max=99 step=0.001 help=' scale factor' ");
    EXPECT_EQ(scale.min, 0.01);
    const panel::Definition slices = parsed(" label='slices' min=1 max=999 step=1 help=' slices param' ");
    EXPECT_EQ(slices.step_decimals, 0);
    const panel::Definition rotation = parsed(" label='Xrot' min=-3600 max=3600 step=1 help=' x axis rotation' ");
    EXPECT_EQ(rotation.min, -3600.0);
    const panel::Definition shift = parsed(" label='Ztranslate' min=-100 max=100 step=0.05 help=' z translation' ");
    EXPECT_EQ(shift.step, 0.05);
    EXPECT_EQ(shift.step_decimals, 2);
}

TEST(Definition, MalformedTextsSayWhy)
{
    const std::pair<const char*, const char*> cases[] = {
        {" label='Reset", "missing closing quote for label"},
        {" min=", "missing value for min"},
        {" min=abc", "'abc' is not a number for min"},
        {" max=1e999", "'1e999' is not a number for max"},
        {" colour='red'", "unknown attribute 'colour'"},
        {" key=F13", "unknown key 'F13'"},
        {" label", "'label' needs a value"},
        {" =3", "unexpected '='"},
        {" min=5 max=1", "min is above max"},
        {" step=0", "step must be above 0"},
    };
    for (const auto& [text, reason] : cases)
        EXPECT_EQ(parse_definition(text).error, reason) << text;
}

TEST(Definition, QuotesOfEitherKindAndAnyCaseOfKeyNames)
{
    const panel::Definition d = parsed("label=\"It's\" key=space help='say \"hi\"'");
    EXPECT_EQ(d.label, "It's");
    EXPECT_EQ(d.key, 32);
    EXPECT_EQ(d.help, "say \"hi\"");
    EXPECT_EQ(parsed("key=r").key, 'R');
}
