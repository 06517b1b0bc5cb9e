// Every saved field, one row of the field table at a time, carried through each place that keeps a shape: the snippet,
// the files' parameters, shapetool's flags and its report, a morph's blend and undo's record. A row that one place
// forgets fails here, named.
#include "animation/timeline.h"
#include "app/history.h"
#include "export/metadata.h"
#include "params/fields.h"
#include "snippet/snippet.h"
#include "tool/command_line.h"
#include "tool/report.h"

#include "tests/support/scratch_folder.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

// The start values with `field` changed, and its value as a flag would give it; text has no flag.
struct Probe {
    Tparams params;
    std::string flag_text;
};

Probe probe(const params::Field& field)
{
    Probe probe;
    set_start_values(probe.params);
    Tparams& p = probe.params;
    switch (field.kind) {
    case params::Kind::number: {
        // A torus that keeps the start shape's tube off its axis.
        const bool ring = field.number == &Tparams::torus;
        p.*field.number = ring ? 2.5f : 0.75f;
        probe.flag_text = ring ? "2.5" : "0.75";
        break;
    }
    case params::Kind::count:
        p.*field.count = 12;
        probe.flag_text = "12";
        break;
    case params::Kind::colour:
        std::copy_n("\x0a\x14\x1e\x28", 4, p.*field.colour);
        probe.flag_text = "10,20,30,40";
        break;
    case params::Kind::text: p.*field.text = "rotations:  xy yz"; break;
    }
    if (field.group == params::Group::second_set)
        p.sets_linked = 0;
    return probe;
}

bool same_field(const params::Field& field, const Tparams& one, const Tparams& other)
{
    switch (field.kind) {
    case params::Kind::number: return std::memcmp(&(one.*field.number), &(other.*field.number), sizeof(float)) == 0;
    case params::Kind::count: return one.*field.count == other.*field.count;
    case params::Kind::colour: return std::memcmp(one.*field.colour, other.*field.colour, 4) == 0;
    case params::Kind::text: return one.*field.text == other.*field.text;
    }
    return false;
}

// shapetool's report of `arguments`: its "parameters" object, or null.
nlohmann::json reported_parameters(std::vector<std::string> arguments)
{
    arguments.insert(arguments.begin(), {"shapetool", "info", "--json"});
    std::vector<const char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(argument.c_str());
    std::ostringstream out, err;
    shapetool::Console console{out, err};
    if (shapetool::run(static_cast<int>(argv.size()), argv.data(), console) != 0)
        return nullptr;
    return nlohmann::json::parse(out.str())[0]["parameters"];
}

class SavedField : public testing::TestWithParam<int> {
protected:
    const params::Field& field = params::saved_fields[GetParam()];
    const Probe changed = probe(field);
    Tparams start;

    void SetUp() override { set_start_values(start); }
};

TEST_P(SavedField, SurvivesTheSnippet)
{
    Tparams read;
    set_start_values(read);
    ASSERT_TRUE(snippet::parse(snippet::text(changed.params), "probe.bas", read).ok());
    EXPECT_TRUE(same_field(field, read, changed.params)) << snippet::text(changed.params);
}

TEST_P(SavedField, TravelsInTheFilesParameters)
{
    const nlohmann::json carried = file_export::parameter_json(changed.params);
    ASSERT_TRUE(carried.contains(field.name)) << carried.dump();
    EXPECT_NE(carried[field.name], file_export::parameter_json(start)[field.name]);
    EXPECT_NE(file_export::parameter_text(changed.params).find(std::string(field.name) + "="), std::string::npos);
}

TEST_P(SavedField, ReachesShapetoolsReportFromASnippetAndFromItsFlag)
{
    const test_support::Scratch_folder folder;
    std::ofstream(folder / "probe.bas", std::ios::binary) << snippet::text(changed.params);
    const nlohmann::json want = file_export::parameter_json(changed.params)[field.name];
    EXPECT_EQ(reported_parameters({folder / "probe.bas"})[field.name], want);
    if (field.kind != params::Kind::text) {
        EXPECT_EQ(reported_parameters({"--" + std::string(field.name), changed.flag_text})[field.name], want);
    }
}

TEST_P(SavedField, MovesInAMorph)
{
    const Tparams halfway = animation::blend(start, changed.params, 0.5);
    if (field.kind == params::Kind::text)
        EXPECT_TRUE(same_field(field, halfway, start));
    else
        EXPECT_FALSE(same_field(field, halfway, start));
}

TEST_P(SavedField, IsAStepToUndo)
{
    const Shown_shape shown;
    EXPECT_FALSE(same_step(step_of(start, shown), step_of(changed.params, shown)));
}

INSTANTIATE_TEST_SUITE_P(EveryRow, SavedField, testing::Range(0, params::saved_field_count),
                         [](const testing::TestParamInfo<int>& row) {
                             return std::string(params::saved_fields[row.param].name);
                         });

} // namespace
