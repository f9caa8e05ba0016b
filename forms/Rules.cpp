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

bool TakesFocus(Kind kind) { return kind != Kind::Label && kind != Kind::Frame; }

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

const Control* Next(const std::vector<const Control*>& ring, const Control* from, bool backwards) {
    if (ring.empty()) return nullptr;
    const auto at = std::find(ring.begin(), ring.end(), from);
    if (at == ring.end()) return ring.front();
    const std::size_t i = std::size_t(at - ring.begin()), n = ring.size();
    return ring[backwards ? (i + n - 1) % n : (i + 1) % n];
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
    if (design.kind == Kind::Label) grown.height = std::max(at.height, textHeight);
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
