#include "text_windows/frmReturn.h"

#include "forms/App.h"

namespace {

// The tables keep their columns.
// clang-format off
constexpr forms::Window kWindow{"frmReturn", u"編集結果([ctrl]+[c]でクリップボードへコピー)",
                                forms::Border::SizableModal, 4305, 2805};

constexpr forms::Control kControls[] = {
    {"txtReturn", forms::Kind::MultiLineBox, {0, 0, 4305, 2805}, u"", u"", 0,
     {forms::Face::Gothic, 9}, {}, forms::kDefaultColour, u"編集結果"},
};

constexpr forms::MenuItem kMenus[] = {
    {"mnuFile", u"ファイル(&F)"},
    {"mnuQuit", u"閉じる(&Q)", "mnuFile"},
    {"mnuEdit", u"編集(&E)"},
    {"mnuClipCopy", u"クリップボードへコピー", "mnuEdit", forms::Shortcut::Copy},
};
// clang-format on

}  // namespace

frmReturn::frmReturn(forms::Form* owner) : forms::Form(kWindow, kControls, kMenus, owner) {
    OnClick("mnuQuit", [this] { mnuQuit_Click(); });
    OnClick("mnuClipCopy", [this] { mnuClipCopy_Click(); });
    OnKeyDown("txtReturn", [this](forms::Key key) { return txtReturn_KeyDown(key); });
}

void frmReturn::Form_Load() {
    FitResultBox();
    C("txtReturn").SetToolTip(u"[Esc]キー：閉じる");
}

void frmReturn::Form_Resize() {
    if (State() == forms::kNormal) FitResultBox();
}

void frmReturn::FitResultBox() { C("txtReturn").Move(Client()); }

void frmReturn::Clear() {
    presented_ = forms::LargeText();
    C("txtReturn").Fill(presented_);
}

void frmReturn::Present(const forms::LargeText& text, std::u16string_view note) {
    if (!note.empty()) SetCaption(std::u16string(note) + u"　" + std::u16string(kWindow.caption));
    presented_ = text;
    C("txtReturn").Fill(presented_);
    CentreOver(Owner());
    ShowModal();
}

void frmReturn::mnuQuit_Click() { Unload(); }

void frmReturn::mnuClipCopy_Click() {
    forms::Ctl box = C("txtReturn");
    if (box.IsModified())
        forms::CopyToClipboard(box.Text());
    else
        forms::CopyToClipboard(presented_);
}

bool frmReturn::txtReturn_KeyDown(forms::Key key) {
    if (key.code == forms::kKeyEscape) {
        Unload();
        return true;
    }
    // Enter held down for 編集 goes on repeating into this box once it opens: a result not
    // yet touched takes no repeated line break, so the copy stays the converted text.
    return key.code == forms::kKeyReturn && key.repeat && !C("txtReturn").IsModified();
}
