#include "forms/Rules.h"

#include <algorithm>

namespace forms {

namespace {

// Options stand 240 twips apart.
constexpr int kOptionPitch = 240;

int MulDivRounded(int value, int times, int by) {
    const long long product = static_cast<long long>(value) * times;
    return static_cast<int>((product + (product >= 0 ? by / 2 : -by / 2)) / by);
}

void SortByTabIndex(std::vector<const Control*>& controls) {
    std::stable_sort(controls.begin(), controls.end(),
                     [](const Control* a, const Control* b) { return a->tabIndex < b->tabIndex; });
}

}  // namespace

int PxAt(int twips, int dpi) { return MulDivRounded(twips, dpi, 1440); }
int TwipsAt(int pixels, int dpi) { return MulDivRounded(pixels, 1440, dpi); }

bool IsTextBox(Kind kind) {
    return kind == Kind::TextBox || kind == Kind::ColumnBox || kind == Kind::MultiLineBox;
}

const Behaviour& BehaviourOf(Kind kind) {
    // clang-format off
    static constexpr Behaviour kRows[] = {
        {Kind::Label, Role::Label, false, false, ""},
        {Kind::TextBox, Role::Text, true, true, "Enter: the default button"},
        {Kind::ColumnBox, Role::Text, true, true, "Enter: the default button"},
        {Kind::MultiLineBox, Role::Text, true, false, "Tab: a tab character; Shift+F10: its menu"},
        {Kind::Button, Role::Button, true, false, "Enter, Space: presses it"},
        {Kind::Option, Role::Option, true, false, "arrows: choose the next or the previous one"},
        {Kind::Frame, Role::Group, false, false, ""},
        {Kind::Link, Role::Link, true, false, "Enter, Space: opens it as a click does"},
    };
    // clang-format on
    return kRows[int(kind)];
}

bool TakesFocus(Kind kind) { return BehaviourOf(kind).takesFocus; }

std::u16string WithoutAmpersand(std::u16string_view caption) {
    std::u16string plain(caption);
    if (const auto at = plain.find(u'&'); at != std::u16string::npos) plain.erase(at, 1);
    return plain;
}

char16_t LetterOf(std::u16string_view caption) {
    const auto at = caption.find(u'&');
    if (at == caption.npos || at + 1 == caption.size()) return 0;
    const char16_t letter = caption[at + 1];
    return letter >= u'a' && letter <= u'z' ? char16_t(letter - u'a' + u'A') : letter;
}

const Control* BoxOf(std::span<const Control> controls, const Control& label) {
    const auto at = std::size_t(&label - controls.data());
    if (label.kind != Kind::Label || at + 1 >= controls.size()) return nullptr;
    const Control& next = controls[at + 1];
    return BehaviourOf(next.kind).namedByLabel ? &next : nullptr;
}

namespace {

const Control* Named(std::span<const Control> controls, std::string_view name) {
    for (const Control& control : controls)
        if (!name.empty() && control.name == name) return &control;
    return nullptr;
}

const Control* LabelOf(std::span<const Control> controls, const Control& box) {
    for (const Control& label : controls)
        if (BoxOf(controls, label) == &box) return &label;
    return nullptr;
}

}  // namespace

Accessible AccessibleOf(std::span<const Control> controls, const Control& control) {
    const Control* label = LabelOf(controls, control);
    std::u16string_view name = control.caption;
    if (BehaviourOf(control.kind).namedByLabel) name = label ? label->caption : u"";
    if (!control.accessibleName.empty()) name = control.accessibleName;
    return {WithoutAmpersand(name), control.tip, BehaviourOf(control.kind).role, label,
            Named(controls, control.frame)};
}

std::vector<const Control*> ReadingOrder(std::span<const Control> controls) {
    std::vector<const Control*> byTab, order;
    for (const Control& control : controls) byTab.push_back(&control);
    SortByTabIndex(byTab);
    const auto place = [&](const Control* control, auto& self) -> void {
        if (!control || std::find(order.begin(), order.end(), control) != order.end()) return;
        self(Named(controls, control->frame), self);
        self(LabelOf(controls, *control), self);
        order.push_back(control);
    };
    for (const Control* control : byTab)
        if (!BoxOf(controls, *control)) place(control, place);
    return order;
}

const Control* LabelledBy(std::span<const Control> controls, char16_t letter) {
    for (const Control& label : controls)
        if (letter && LetterOf(label.caption) == letter && BoxOf(controls, label))
            return BoxOf(controls, label);
    return nullptr;
}

const Control* FirstOf(const std::vector<const Control*>& stops) {
    for (const Control* stop : stops)
        if (stop->kind != Kind::Link) return stop;
    return stops.empty() ? nullptr : stops.front();
}

bool IsFixedSize(Border border) {
    return border == Border::FixedMain || border == Border::FixedDialog;
}
bool CanMinimize(Border border) {
    return border == Border::FixedMain || border == Border::SizableModal;
}
bool IsTool(Border border) { return border == Border::SizableTool; }

std::vector<const Control*> TabOrder(std::span<const Control> controls) {
    std::vector<const Control*> order;
    for (const Control& control : controls)
        if (TakesFocus(control.kind)) order.push_back(&control);
    SortByTabIndex(order);
    return order;
}

std::vector<const Control*> TabStops(std::span<const Control> controls,
                                     const std::function<bool(const Control&)>& open,
                                     const std::function<bool(const Control&)>& selected) {
    std::vector<const Control*> stops;
    for (const Control* control : TabOrder(controls)) {
        if (!open(*control)) continue;
        if (control->kind == Kind::Option) {
            auto first = std::find_if(stops.begin(), stops.end(), [&](const Control* c) {
                return c->kind == Kind::Option && c->frame == control->frame;
            });
            if (first != stops.end()) {
                if (selected(*control)) *first = control;
                continue;
            }
        }
        stops.push_back(control);
    }
    return stops;
}

std::vector<const Control*> OptionGroup(std::span<const Control> controls, const Control& option,
                                        const std::function<bool(const Control&)>& open) {
    std::vector<const Control*> group;
    for (const Control* control : TabOrder(controls))
        if (control->kind == Kind::Option && control->frame == option.frame && open(*control))
            group.push_back(control);
    return group;
}

MenuPlace PlaceOf(const MenuItem& item, std::span<const MenuItem> menus,
                  std::span<const Control> controls) {
    const bool named =
        std::any_of(menus.begin(), menus.end(), [&](auto& m) { return m.menu == item.name; });
    const bool box = std::any_of(controls.begin(), controls.end(), [&](auto& c) {
        return c.name == item.menu && c.kind == Kind::MultiLineBox;
    });
    if (named) return box ? MenuPlace::SubMenu : MenuPlace::Menu;
    if (item.menu.empty()) return MenuPlace::OnBar;
    return box ? MenuPlace::ContextMenu : MenuPlace::InMenu;
}

Pixels GrownToText(const Control& design, const Pixels& at, int textHeight, int dpi) {
    Pixels grown = at;
    if (design.kind == Kind::Label || design.kind == Kind::Link) grown.height = std::max(at.height, textHeight);
    if (design.kind == Kind::Option && at.height < textHeight) {
        grown.height = std::max(at.height, std::min(textHeight, PxAt(kOptionPitch, dpi)));
        grown.top = at.top - (grown.height - at.height) / 2;
    }
    return grown;
}

std::span<const std::u16string_view> FaceNames(Face face) {
    static constexpr std::u16string_view kGothic[] = {u"ＭＳ ゴシック", u"MS Gothic", u"IPAGothic",
                                                      u"IPAゴシック", u"Noto Sans Mono CJK JP"};
    static constexpr std::u16string_view kPGothic[] = {
        u"ＭＳ Ｐゴシック", u"MS PGothic", u"IPAPGothic", u"IPA Pゴシック", u"Noto Sans CJK JP"};
    return face == Face::Gothic ? std::span(kGothic) : std::span(kPGothic);
}

Font Resolved(const Font& font) {
    return font.face == Face::Window ? Font{Face::PGothic, 9} : font;
}

Rgb RgbOf(int colour) { return {(colour >> 16) & 0xFF, (colour >> 8) & 0xFF, colour & 0xFF}; }

}  // namespace forms
