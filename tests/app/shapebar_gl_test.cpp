// The editor's bar on a real context: its definitions as parsed, and its ranges those of the saved fields. Event
// sequences are the panel fuzz target's.
#include "app/save.h"
#include "app/shapebar.h"
#include "panel/entry.h"
#include "params/fields.h"
#include "tests/support/gl_fixture.h"

#include <algorithm>
#include <fstream>
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
    for (const panel::Definition::Shortcut& key : d.keys)
        text << " key=" << key.key;
    return text.str() + (d.alpha ? " alpha" : "");
}

} // namespace

TEST_F(ShapeBarTest, HoldsEachDefinitionAsParsedInOrderBoundToItsFieldOrButton)
{
    ASSERT_EQ(TwInit(TW_OPENGL, nullptr), 1);
    Tparams p;
    Saving saving{&p, "", ""};
    TwBar* bar = TwNewBar("Supershape");
    init_shapebar(bar, p, saving);
    // Each entry's variable and button callback, in the order of tests/app/shapebar_entries.txt.
    const void* const variables[] = {nullptr,        nullptr,         nullptr,   nullptr,   &p.auto_edit, &p.show_axes,
                                     &p.auto_rotate, &p.smooth_lines, p.color,   nullptr,   nullptr,      nullptr,
                                     nullptr,        nullptr,         &p.a,      &p.b,      &p.m,         &p.n1,
                                     &p.n2,          &p.n3,           &p.radius, &p.slices, &p.bands,     &p.scale,
                                     &p.xrot,        &p.yrot,         &p.zrot,   &p.tx,     &p.ty,        &p.tz};
    const TwButtonCallback callbacks[std::size(variables)] = {resetcb,     savecb,      quitcb,     nullptr, nullptr,
                                                              nullptr,     nullptr,     nullptr,    nullptr, nullptr,
                                                              switch_xycb, switch_xzcb, switch_yzcb}; // the rest none
    const std::vector<panel::Entry>& entries = panel::entries(*bar);
    ASSERT_EQ(entries.size(), std::size(variables)) << TwGetLastError();
    std::ifstream expected(SOURCE_DIR "/tests/app/shapebar_entries.txt");
    std::string text;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        while (std::getline(expected, text) && text[0] == '#') {
        }
        EXPECT_EQ(described(entries[i]), text);
        EXPECT_EQ(entries[i].variable, variables[i]) << text;
        EXPECT_EQ(entries[i].callback, callbacks[i]) << text;
        const void* client = callbacks[i] == savecb ? static_cast<void*>(&saving) : &p;
        EXPECT_EQ(entries[i].client_data, callbacks[i] ? client : nullptr) << text;
    }
    // The second set is in its own bar, under the switch that links the sets, labelled as the first; the torus and
    // the twist follow.
    TwBar* profile = TwNewBar("Profile");
    init_profilebar(profile, p);
    std::vector<panel::Entry> all = panel::entries(*profile);
    ASSERT_EQ(all.size(), 10u) << TwGetLastError();
    EXPECT_EQ(std::pair(all[0].variable, all[3].variable), (std::pair<void*, void*>(&p.sets_linked, &p.m2)));
    EXPECT_EQ(all[3].label(), std::string("m"));
    EXPECT_EQ(std::pair(described(all[8]), described(all[9])),
              std::pair(std::string("v torus 12 'torus' 0..99 step 0.01"),
                        std::string("v twist 12 'twist' -3600..3600 step 1")));
    EXPECT_EQ(std::pair(all[8].variable, all[9].variable), (std::pair<void*, void*>(&p.torus, &p.twist)));
    all.insert(all.end(), entries.begin(), entries.end());
    // Every number of the saved fields has its entry, whose range comes from the field's row.
    for (const params::Field& field : params::saved_fields) {
        const auto named = [&](const panel::Entry& e) { return e.name == field.name; };
        const bool numbered = field.kind == params::Kind::number || field.kind == params::Kind::count;
        EXPECT_EQ(std::find_if(all.begin(), all.end(), named) != all.end(), numbered) << field.name;
    }

    // The third bar keeps each of the twelve numbers and the colour of random draws, by its own switch.
    Exploring exploring;
    TwBar* explore = TwNewBar("Explore");
    init_explorebar(explore, exploring);
    int locks = 0;
    for (const panel::Entry& entry : panel::entries(*explore))
        if (entry.name.rfind("keep ", 0) == 0) {
            const params::Field* field = params::field_named(entry.name.substr(5));
            ASSERT_NE(field, nullptr) << entry.name;
            EXPECT_EQ(entry.variable, &exploring.locks[field - params::saved_fields]) << entry.name;
            ++locks;
        }
    EXPECT_EQ(locks, 13) << TwGetLastError();
    EXPECT_EQ(panel::entries(*explore).back().variable, &exploring.rings_and_twists);
    for (const panel::Entry& entry : panel::entries(*explore)) // pressed three times within one frame
        for (int i = 0; i < 3 && (entry.name == "Random" || entry.name == "Undo"); ++i)
            entry.callback(entry.client_data);
    EXPECT_EQ(std::pair(exploring.do_random, exploring.do_undo), std::pair(request_pending, -3));
    TwTerminate();
}
