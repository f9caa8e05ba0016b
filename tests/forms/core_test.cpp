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
    {"opt", Kind::Option, {}, u"&Opt", {}, 2, {}, "fra"}, {"fra", Kind::Frame, {}, u"F", {}, 9},
    {"lbl", Kind::Label, {}, u"&Name", {}, 8},           {"txt", Kind::TextBox, {}, u"", u"tip", 1},
    {"lnk", Kind::Link, {}, u"site", {}, 0}};

std::vector<std::string> Names(const std::vector<const forms::Control*>& controls) {
    std::vector<std::string> names;
    for (const forms::Control* control : controls) names.emplace_back(control->name);
    return names;
}

using Strings = std::vector<std::string>;

// A label names the box after it and gives it its letter; the reading order puts a frame before
// what it holds and a label before its box; a link is never the first focus.
TEST(FormsRules, ReadingOrderNamesAndLetters) {
    const auto& rows = kRows;
    EXPECT_EQ(Names(forms::ReadingOrder(rows)), Strings({"lnk", "lbl", "txt", "fra", "opt"}));
    const forms::Accessible box = forms::AccessibleOf(rows, rows[3]), option = forms::AccessibleOf(rows, rows[0]);
    EXPECT_TRUE(box.name == u"Name" && box.description == u"tip" && box.label == &rows[2]);
    EXPECT_TRUE(option.name == u"Opt" && option.group == &rows[1] && !option.label);
    EXPECT_EQ(forms::LabelledBy(rows, u'N'), &rows[3]);
    EXPECT_EQ(forms::LabelledBy(rows, u'O'), nullptr);  // only a label's letter goes to a box
    EXPECT_EQ(forms::FirstOf(forms::TabOrder(rows))->name, "txt");
}

// Where a menu item shows, a submenu of a context menu among them.
TEST(FormsRules, MenuTree) {
    constexpr forms::MenuItem menus[] = {
        {"mnuFile", u""},        {"mnuQuit", u"", "mnuFile"}, {"mnuAlone", u""},
        {"mnuRev", u"", "box"}, {"mnuSub", u"", "box"},      {"mnuIn", u"", "mnuSub"}};
    constexpr forms::Control box[] = {{"box", Kind::MultiLineBox, {}, u""}};
    using P = forms::MenuPlace;
    const P places[] = {P::Menu, P::InMenu, P::OnBar, P::ContextMenu, P::SubMenu, P::InMenu};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(forms::PlaceOf(menus[i], menus, box), places[i]) << i;
}

// A label grows down to its text, an option about its middle, at most to the 240-twip pitch
// options stand apart at, whatever the DPI. (Twips to pixels: the e2e session at 96 and 144 DPI.)
TEST(FormsRules, GrowthAtEachDpi) {
    for (const auto& [dpi, pitch] : {std::pair{96, 16}, {144, 24}, {120, 20}}) {
        const forms::Pixels at{10, 20, 60, 11};
        EXPECT_EQ(forms::GrownToText(kRows[2], at, 14, dpi), (forms::Pixels{10, 20, 60, 14}));
        const forms::Pixels option = forms::GrownToText(kRows[0], at, 40, dpi);
        EXPECT_EQ(option.height, pitch) << dpi;
        EXPECT_EQ(option.top, 20 - (pitch - 11) / 2) << dpi;
        EXPECT_EQ(forms::GrownToText(kRows[3], at, 40, dpi), at);
    }
    EXPECT_EQ(forms::PxAt(-8, 144), -1);  // half away from zero, as the system rounds
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
