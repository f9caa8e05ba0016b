// The forms core that needs no toolkit, on both builds: the rules the design tables are read by,
// twips at more than one DPI, and what a paste becomes in each kind of box.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "forms/Paste.h"
#include "forms/Rules.h"

namespace {

using forms::Kind;

constexpr forms::Control kRows[] = {
    {"lbl", Kind::Label, {0, 0, 600, 135}, u"", {}, 0},
    {"fra", Kind::Frame, {0, 0, 3000, 900}, u"", {}, 1},
    {"optB", Kind::Option, {0, 480, 900, 165}, u"", {}, 5, {}, "fra"},
    {"optA", Kind::Option, {0, 240, 900, 165}, u"", {}, 4, {}, "fra"},
    {"txt", Kind::TextBox, {0, 0, 900, 270}, u"", {}, 2},
    {"cmdOff", Kind::Button, {0, 0, 900, 375}, u"", {}, 3},
    {"cmdLast", Kind::Button, {0, 0, 900, 375}, u"", {}, 5},
    {"box", Kind::MultiLineBox, {0, 0, 900, 900}, u"", {}, 6},
};

std::vector<std::string> Names(const std::vector<const forms::Control*>& controls) {
    std::vector<std::string> names;
    for (const forms::Control* control : controls) names.emplace_back(control->name);
    return names;
}

using Strings = std::vector<std::string>;

// Tab goes by tab index, table order among equals; an option group is one stop: the selected
// option, or the first while none is.
TEST(FormsRules, TabOrderAndOptionGroups) {
    EXPECT_EQ(Names(forms::TabOrder(kRows)),
              Strings({"txt", "cmdOff", "optA", "optB", "cmdLast", "box"}));
    const auto open = [](const forms::Control& c) { return c.name != "cmdOff"; };
    const auto none = [](const forms::Control&) { return false; };
    const auto optB = [](const forms::Control& c) { return c.name == "optB"; };
    const auto stops = forms::TabStops(kRows, open, none);
    EXPECT_EQ(Names(stops), Strings({"txt", "optA", "cmdLast", "box"}));
    EXPECT_EQ(Names(forms::TabStops(kRows, open, optB)),
              Strings({"txt", "optB", "cmdLast", "box"}));
    EXPECT_EQ(Names(forms::OptionGroup(kRows, kRows[2], open)), Strings({"optA", "optB"}));
    EXPECT_EQ(forms::Next(stops, stops.back(), false), stops.front());
    EXPECT_EQ(forms::Next(stops, stops.front(), true), stops.back());
}

TEST(FormsRules, MenuTree) {
    constexpr forms::MenuItem menus[] = {
        {"mnuFile", u""},        {"mnuQuit", u"", "mnuFile"}, {"mnuAlone", u""},
        {"mnuRev", u"", "box"}, {"mnuSub", u"", "box"},      {"mnuIn", u"", "mnuSub"}};
    using P = forms::MenuPlace;
    const P places[] = {P::Menu, P::InMenu, P::OnBar, P::ContextMenu, P::SubMenu, P::InMenu};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(forms::PlaceOf(menus[i], menus, kRows), places[i]) << i;
}

// Twips round half away from zero, at the DPI given; a label grows down to its text, an option
// about its middle, at most to the 240-twip pitch options stand apart at.
TEST(FormsRules, TwipsAndGrowthAtEachDpi) {
    struct Row {
        int dpi, px7, px8, pxMinus8, twips16, pitch;
    };
    for (const Row r :
         {Row{96, 0, 1, -1, 240, 16}, Row{144, 1, 1, -1, 160, 24}, Row{120, 1, 1, -1, 192, 20}}) {
        EXPECT_EQ(forms::PxAt(7, r.dpi), r.px7) << r.dpi;
        EXPECT_EQ(forms::PxAt(8, r.dpi), r.px8) << r.dpi;
        EXPECT_EQ(forms::PxAt(-8, r.dpi), r.pxMinus8) << r.dpi;
        EXPECT_EQ(forms::TwipsAt(16, r.dpi), r.twips16) << r.dpi;
        const forms::Pixels at{10, 20, 60, 11};
        EXPECT_EQ(forms::GrownToText(kRows[0], at, 14, r.dpi), (forms::Pixels{10, 20, 60, 14}));
        const forms::Pixels option = forms::GrownToText(kRows[2], at, 40, r.dpi);
        EXPECT_EQ(option.height, r.pitch) << r.dpi;
        EXPECT_EQ(option.top, 20 - (r.pitch - 11) / 2) << r.dpi;
        EXPECT_EQ(forms::GrownToText(kRows[4], at, 40, r.dpi), at);
    }
    EXPECT_EQ(forms::PxAt(4710, 96), 314);  // the main window's width
}

// Every way of pasting into a box ends in these two rules: a single-line box keeps the text up
// to its first CR or LF; a multi-line box makes every line break CR LF, one for one.
TEST(FormsPaste, EveryLineEndAtTheStartInTheMiddleAndAtTheEnd) {
    struct Row {
        std::u16string text, firstLine, crLf;
    };
    // clang-format off
    const Row rows[] = {
        {u"", u"", u""}, {u"ab", u"ab", u"ab"},
        {u"\r\nab", u"", u"\r\nab"}, {u"a\r\nb", u"a", u"a\r\nb"}, {u"ab\r\n", u"ab", u"ab\r\n"},
        {u"\rab", u"", u"\r\nab"}, {u"a\rb", u"a", u"a\r\nb"}, {u"ab\r", u"ab", u"ab\r\n"},
        {u"\nab", u"", u"\r\nab"}, {u"a\nb", u"a", u"a\r\nb"}, {u"ab\n", u"ab", u"ab\r\n"},
        {u"\u2029ab", u"\u2029ab", u"\r\nab"}, {u"a\u2029b", u"a\u2029b", u"a\r\nb"},
        {u"ab\u2029", u"ab\u2029", u"ab\r\n"},
        {u"a\r\nb\n\rc\r\n\r\n", u"a", u"a\r\nb\r\n\r\nc\r\n\r\n"}};
    // clang-format on
    for (const Row& r : rows) {
        EXPECT_TRUE(forms::FirstLine(r.text) == r.firstLine) << &r - rows;
        EXPECT_TRUE(forms::WithCrLf(r.text) == r.crLf) << &r - rows;
    }
}

}  // namespace
