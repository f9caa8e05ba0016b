#include "text_windows/frmText.h"

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

constexpr forms::MenuItem kMenus[] = {
    {"mnuClear", u"クリア(&C)"},
    {"mnuReverse", u"逆変換(&R)", "txtText"},
    {"mnuCheck", u"変換前チェック(&K)", "txtText"},
    {"mnuEditUnicode", u"編集（非ASCIIを \\uXXXX に）Java・JavaScript・C# 向け(&X)", "txtText"},
    {"mnuEditApostrophes", u"編集（' を \\' に）JavaScript・PHP・Python 向け(&Q)", "txtText"},
    {"mnuEditTabs", u"編集（タブを \\t / vbTab に）(&B)", "txtText"},
    {"mnuEditJoins", u"編集（<%= 式 %> を連結に）(&J)", "txtText"},
};
// clang-format on

}  // namespace

frmText::frmText(forms::Form* main, std::function<void(TextCommand)> run)
    : forms::Form(kWindow, kControls, kMenus, main), run_(std::move(run)) {
    OnKeyDown("txtText", [this](forms::Key key) { return txtText_KeyDown(key); });
    OnClick("mnuClear", [this] { mnuClear_Click(); });
    const std::pair<const char*, TextCommand> commands[] = {
        {"mnuReverse", TextCommand::Reverse},
        {"mnuCheck", TextCommand::Check},
        {"mnuEditUnicode", TextCommand::EditUnicode},
        {"mnuEditApostrophes", TextCommand::EditApostrophes},
        {"mnuEditTabs", TextCommand::EditTabs},
        {"mnuEditJoins", TextCommand::EditJoins},
    };
    for (const auto& [item, command] : commands) OnClick(item, [this, c = command] { run_(c); });
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
