// The editor's bar on a real context: its definitions as parsed, and its ranges those of the saved fields. Event
// sequences are the panel fuzz target's.
#include "app/save.h"
#include "app/shapebar.h"
#include "panel/entry.h"
#include "params/fields.h"
#include "tests/support/gl_fixture.h"

#include <algorithm>
#include <sstream>
#include <string>

namespace {

using ShapeBarTest = test_support::Gl_test;

// Kind, name, value type, label, range and step, shortcut and alpha as one line; help texts are left out.
std::string described(const panel::Entry& entry)
{
    const panel::Definition& d = entry.definition;
    std::ostringstream text;
    text << "bsv"[static_cast<int>(entry.kind)] << ' ' << entry.name;
    text << (entry.kind == panel::Entry::Kind::value ? " " + std::to_string(entry.type) : "")
         << (d.label ? " '" + *d.label + "'" : "");
    if (d.min && d.max && d.step)
        text << ' ' << *d.min << ".." << *d.max << " step " << *d.step;
    return text.str() + (d.key ? " key=" + std::to_string(*d.key) : "") + (d.alpha ? " alpha" : "");
}

} // namespace

TEST_F(ShapeBarTest, HoldsEachDefinitionAsParsedInOrderBoundToItsFieldOrButton)
{
    ASSERT_EQ(TwInit(TW_OPENGL, nullptr), 1);
    Tparams p;
    TwBar* bar = TwNewBar("Supershape");
    init_shapebar(bar, p);
    const struct {
        const char* text;
        void* variable = nullptr;
        TwButtonCallback callback = nullptr;
    } expected[] = {{"b Reset 'Reset Behavior' key=32", nullptr, resetcb},
                    {"b Save 'Save to file'", nullptr, savecb},
                    {"b Quit 'Exit'", nullptr, quitcb},
                    {"s sep1"},
                    {"v Auto Edit 4 'Auto Edit'", &p.auto_edit},
                    {"v Show Axes 4 'Show Axes'", &p.show_axes},
                    {"v Auto Rotate 4 'Auto Rotate'", &p.auto_rotate},
                    {"v Smooth Lines 4 'Smooth Lines'", &p.smooth_lines},
                    {"v Color 14 'Shape color' alpha", p.color},
                    {"s sep2"},
                    {"b Swap_xy 'Swap X and Y axes'", nullptr, switch_xycb},
                    {"b Swap_xz 'Swap X and Z axes'", nullptr, switch_xzcb},
                    {"b Swap_yz 'Swap Y and Z axes'", nullptr, switch_yzcb},
                    {"s sep3"},
                    {"v a 12 'a' -999..999 step 0.001", &p.a},
                    {"v b 12 'b' -999..999 step 0.001", &p.b},
                    {"v m 12 'm' -999..999 step 0.001", &p.m},
                    {"v n1 12 'n1' -999..999 step 0.001", &p.n1},
                    {"v n2 12 'n2' -999..999 step 0.001", &p.n2},
                    {"v n3 12 'n3' -999..999 step 0.001", &p.n3},
                    {"v radius 12 'Radius' -999..999 step 0.001", &p.radius},
                    {"v slices 10 'slices' 1..999 step 1", &p.slices},
                    {"v bands 10 'bands' 1..999 step 1", &p.bands},
                    {"v scale 12 'Scale' 0.01..99 step 0.001", &p.scale},
                    {"v xrot 12 'Xrot' -3600..3600 step 1", &p.xrot},
                    {"v yrot 12 'Yrot' -3600..3600 step 1", &p.yrot},
                    {"v zrot 12 'Zrot' -3600..3600 step 1", &p.zrot},
                    {"v tx 12 'Xtranslate' -100..100 step 0.05", &p.tx},
                    {"v ty 12 'Ytranslate' -100..100 step 0.05", &p.ty},
                    {"v tz 12 'Ztranslate' -100..100 step 0.05", &p.tz}};
    const std::vector<panel::Entry>& entries = panel::entries(*bar);
    ASSERT_EQ(entries.size(), std::size(expected)) << TwGetLastError();
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const auto& [text, variable, callback] = expected[i];
        EXPECT_EQ(described(entries[i]), text);
        EXPECT_TRUE(entries[i].variable == variable && entries[i].callback == callback) << text;
        EXPECT_EQ(entries[i].client_data, callback ? &p : nullptr) << text;
    }
    // The snippet, the flags and the reports take their limits from the saved fields; the panel agrees.
    for (const params::Field& field : params::saved_fields)
        if (field.kind == params::Kind::number || field.kind == params::Kind::count) {
            const auto named = [&](const panel::Entry& e) { return e.name == field.name; };
            const auto entry = std::find_if(entries.begin(), entries.end(), named);
            ASSERT_NE(entry, entries.end()) << field.name;
            EXPECT_TRUE(entry->definition.min == field.min && entry->definition.max == field.max) << field.name;
        }
    TwTerminate();
}
