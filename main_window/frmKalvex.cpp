#include "main_window/frmKalvex.h"

#include <new>

#include "forms/App.h"

namespace {

using forms::Face;
using forms::Kind;

constexpr forms::Font kLabelFont{Face::PGothic, 8.25};
constexpr forms::Font kTextFont{Face::Gothic, 9};
constexpr int kOwn = forms::kDefaultColour;  // before a name of its own

// The tables keep their columns.
// clang-format off
constexpr forms::Window kWindow{"frmKalvex", u"Kalvex", forms::Border::FixedMain, 4710, 2625,
                                "cmdAdd"};

constexpr forms::Control kControls[] = {
    {"fraAddStrings", Kind::Frame, {120, 120, 4455, 855}, u"追加文字列", {}, 12, kLabelFont},
    {"Label1", Kind::Label, {120, 308, 735, 135}, u"前に追加", {}, 13, kLabelFont, "fraAddStrings"},
    {"txtAddText_0", Kind::TextBox, {960, 240, 2415, 270}, u"",
     u"前に追加する文字列を指定してください", 0, kTextFont, "fraAddStrings"},
    {"txtHStart", Kind::ColumnBox, {3360, 240, 495, 270}, u"",
     u"前に追加する文字の開始桁数を指定できます", 1, kTextFont, "fraAddStrings", kOwn,
     u"前に追加の開始桁"},
    {"cmdAddTab_0", Kind::Button, {3840, 240, 495, 255}, u"Tab", u"タブを追加します", 2, {},
     "fraAddStrings", kOwn, u"Tab（前に追加）"},
    {"Label2", Kind::Label, {120, 548, 1215, 135}, u"後ろに追加", {}, 14, kLabelFont,
     "fraAddStrings"},
    {"txtAddText_1", Kind::TextBox, {960, 480, 2415, 270}, u"",
     u"後ろに追加する文字列を追加してください", 3, kTextFont, "fraAddStrings"},
    {"txtTStart", Kind::ColumnBox, {3360, 480, 495, 270}, u"",
     u"後ろに追加する文字の開始桁数を指定できます", 4, kTextFont, "fraAddStrings", kOwn,
     u"後ろに追加の開始桁"},
    {"cmdAddTab_1", Kind::Button, {3840, 480, 495, 255}, u"Tab", u"タブを追加します", 5, {},
     "fraAddStrings", kOwn, u"Tab（後ろに追加）"},
    {"fraOption", Kind::Frame, {120, 1080, 4455, 975}, u"エスケープ処理", {}, 11, kLabelFont},
    {"optDblCote_0", Kind::Option, {120, 240, 975, 165}, u"変換なし",
     u"エスケープ処理を行いません", 6, kLabelFont, "fraOption"},
    {"optDblCote_1", Kind::Option, {120, 480, 2175, 165}, u"[\"] ⇒ [\"\"] （VB,ASP向け）",
     u"ASP用エスケープ処理", 7, kLabelFont, "fraOption"},
    {"optDblCote_2", Kind::Option, {120, 720, 2895, 165},
     u"[\"] ⇒ [\\\"]  [\\]⇒[\\\\]（C,JAVA向け）", u"JSP用エスケープ処理", 8, kLabelFont,
     "fraOption"},
    {"cmdAdd", Kind::Button, {2040, 2160, 1215, 375}, u"編集", u"編集を行います", 9, kLabelFont},
    {"cmdEnd", Kind::Button, {3240, 2160, 1215, 375}, u"終了", u"終了します", 10, kLabelFont},
};

constexpr forms::MenuItem kMenus[] = {
    {"mnuFile", u"ファイル(&F)"},
    {"mnuEnd", u"終了(&E)", "mnuFile"},
    {"mnuHelp", u"ヘルプ(&H)"},
    {"mnuKalvex", u"Kalvexについて", "mnuHelp"},
};
// clang-format on

}  // namespace

frmKalvex::frmKalvex() : forms::Form(kWindow, kControls, kMenus), edit_(this) {
    for (int i = 0; i < 2; ++i) {
        OnChange(Member("txtAddText", i), [this, i] { txtAddText_Change(i); });
        OnClick(Member("cmdAddTab", i), [this, i] { cmdAddTab_Click(i); });
    }
    for (int i = 0; i < 3; ++i)
        OnClick(Member("optDblCote", i), [this, i] { optDblCote_Click(i); });
    OnClick("cmdAdd", [this] { cmdAdd_Click(); });
    OnClick("cmdEnd", [this] { cmdEnd_Click(); });
    OnClick("mnuEnd", [this] { mnuEnd_Click(); });
    OnClick("mnuKalvex", [this] { mnuKalvex_Click(); });
}

void frmKalvex::Form_Load() {
    InitControls();
    // The input window docks against this window's frame, which the window manager gives it
    // only once it is on screen: this window shows itself first, the input window follows.
    ShowModeless();
}

void frmKalvex::Form_OnScreen() {
    frmText* input = Input();
    input->OfferEscapedVariants(!C("optDblCote", 0).Value());
    input->ShowModeless();
}

void frmKalvex::InitControls() {
    for (const char* field : {"txtAddText_0", "txtAddText_1", "txtHStart", "txtTStart"})
        C(field).SetText(u"");
    C("txtHStart").SetEnabled(false);
    C("txtTStart").SetEnabled(false);
    C("optDblCote", 0).SetValue(true);
}

void frmKalvex::Form_Resize() {
    if (frmText* input = input_.Existing()) input->SetState(State());
}

void frmKalvex::Form_Unload() {
    if (frmText* input = input_.Existing()) input->Unload();
    // Nothing of the program may stay behind once its main window is gone.
    edit_.Dispose();
    if (frmAbout* about = about_.Existing()) about->Unload();
}

frmText* frmKalvex::Input() {
    return input_.Get(this, [this](modConvert::Command command) { RunCommand(command); });
}

ConversionRequest frmKalvex::GatherRequest() {
    ConversionRequest request;
    request.text = Input()->Text();
    request.head = C("txtAddText", 0).Text();
    request.tail = C("txtAddText", 1).Text();
    for (int option = 1; option <= 2; ++option)
        if (C("optDblCote", option).Value()) request.mode = EscapeModeOf(option);
    request.hStartText = C("txtHStart").Text();
    request.tStartText = C("txtTStart").Text();
    return request;
}

void frmKalvex::cmdAdd_Click() { RunCommand(modConvert::Command::Edit); }

void frmKalvex::RunCommand(modConvert::Command command) {
    forms::ShowBusy();  // a large text takes a while to convert and to show
    ConversionRequest request;
    try {
        request = GatherRequest();
    } catch (const std::bad_alloc&) {
        // The copy of a text close to the memory's size may not fit beside it.
        edit_.ReportTooLarge();
        return;
    }
    // A disabled field cannot take the focus; the focus then stays where it is.
    const EditOutcome outcome = edit_.Run(std::move(request), command);
    if (outcome == EditOutcome::HStartError) C("txtHStart").SetFocus();
    if (outcome == EditOutcome::TStartError) C("txtTStart").SetFocus();
}

void frmKalvex::cmdAddTab_Click(int index) {
    forms::Ctl box = C("txtAddText", index);
    box.SetText(box.Text() + u'\t');
}

void frmKalvex::txtAddText_Change(int index) {
    C(index == 0 ? "txtHStart" : "txtTStart").SetEnabled(!C("txtAddText", index).Text().empty());
}

// The tab and join variants of 編集 have nothing to write in without escaping.
void frmKalvex::optDblCote_Click(int index) {
    if (frmText* input = input_.Existing()) input->OfferEscapedVariants(index != 0);
}

void frmKalvex::cmdEnd_Click() { forms::End(); }
void frmKalvex::mnuEnd_Click() { forms::End(); }

void frmKalvex::mnuKalvex_Click() { about_.Get()->ShowModeless(); }
