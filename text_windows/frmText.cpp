#include "text_windows/frmText.h"

#include <array>
#include <utility>

namespace {

// A companion of the main window: no buttons on its title bar, no taskbar entry of its own,
// but sizable and movable.
// The tables keep their columns.
// clang-format off
constexpr forms::Window kWindow{"frmText", u"Text([Esc]でクリア)", forms::Border::SizableTool,
                                5265, 3990};

constexpr forms::Control kControls[] = {
    {"txtText", forms::Kind::MultiLineBox, {0, 0, 5265, 3990}, u"Text1", u"", 0,
     {forms::Face::Gothic, 9}, {}, forms::kDefaultColour, u"変換するテキスト"},
};

// clang-format on

// The bar's クリア, then every text command that has an item, in the box's context menu or in
// its submenu, which comes before its first item.
constexpr std::size_t CommandItems() {
    std::size_t n = 0;
    bool submenu = false;
    for (const modConvert::CommandRow& row : modConvert::kCommands) {
        n += !row.item.empty();
        submenu |= row.menu == modConvert::kLiteralMenu.item;
    }
    return n + submenu;
}

constexpr auto kMenus = [] {
    std::array<forms::MenuItem, 1 + CommandItems()> menus{};
    menus[0] = {"mnuClear", u"クリア(&C)"};
    std::size_t n = 1;
    for (const modConvert::CommandRow& row : modConvert::kCommands) {
        if (row.item.empty()) continue;
        if (row.menu == modConvert::kLiteralMenu.item && menus[n - 1].menu != row.menu)
            menus[n++] = {row.menu, modConvert::kLiteralMenu.caption, "txtText"};
        menus[n++] = {row.item, row.caption, row.menu.empty() ? "txtText" : row.menu};
    }
    return menus;
}();

}  // namespace

frmText::frmText(forms::Form* main, std::function<void(modConvert::Command)> run)
    : forms::Form(kWindow, kControls, kMenus, main), run_(std::move(run)) {
    OnKeyDown("txtText", [this](forms::Key key) { return txtText_KeyDown(key); });
    OnClick("mnuClear", [this] { mnuClear_Click(); });
    for (const modConvert::CommandRow& row : modConvert::kCommands) {
        if (!row.item.empty()) OnClick(row.item, [this, c = row.command] { run_(c); });
    }
    OnClick(modConvert::kLiteralMenu.item, [this] { OfferLiterals(); });
}

// As the submenu opens: a form that cannot hold the text is greyed, so that no wrong literal is
// written.
void frmText::OfferLiterals() {
    const std::u16string text = Text();
    for (const modConvert::CommandRow& row : modConvert::kCommands)
        if (row.holds) C(row.item).SetEnabled(row.holds(text));
}

void frmText::OfferEscapedVariants(bool offered) {
    for (const modConvert::CommandRow& row : modConvert::kCommands) {
        if (row.needsEscaping) C(row.item).SetEnabled(offered);
    }
}

void frmText::Form_Load() {
    C("txtText").SetText(u"");
    DockBesideMain();
}

void frmText::Form_Resize() {
    if (State() == forms::kNormal) FitTextBox();
}

// Esc clears the box from the window too, while the box does not have the focus.
bool frmText::Form_KeyDown(forms::Key key) { return txtText_KeyDown(key); }

void frmText::DockBesideMain() {
    const forms::Twips main = Owner()->Outer();
    Move({main.left + main.width, main.top, main.width, main.height});
    FitTextBox();
}

void frmText::FitTextBox() { C("txtText").Move(Client()); }

// Undoable, so that Ctrl+Z brings back a text cleared by mistake.
void frmText::ClearText() { C("txtText").Clear(); }

bool frmText::txtText_KeyDown(forms::Key key) {
    if (key.code != forms::kKeyEscape) return false;
    ClearText();
    return true;
}

void frmText::mnuClear_Click() { ClearText(); }
