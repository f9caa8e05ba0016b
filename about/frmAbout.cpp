#include "about/frmAbout.h"

#include <string>

#include "forms/App.h"
#include "resources/version.h"

namespace {

using forms::Kind;

// The tables keep their columns.
// clang-format off
constexpr forms::Window kWindow{"frmAbout", u"Kalvex", forms::Border::FixedDialog, 3885, 2715};

constexpr int kNameColour = 0x8080FF;
constexpr int kAddressColour = 0xFF8080;

constexpr forms::Control kControls[] = {
    {"lblAPPName", Kind::Label, {360, 240, 3255, 255}, u"APPName", {}, 1,
     {forms::Face::PGothic, 12, true}, {}, kNameColour},
    {"lblVer", Kind::Label, {1320, 600, 2295, 255}, u"Version", {}, 0,
     {forms::Face::PGothic, 9.75, true}, {}, kNameColour},
    {"lblCrtTitle", Kind::Label, {360, 1320, 495, 255}, u"作者", {}, 2},
    {"lblCrt", Kind::Label, {1080, 1320, 2295, 255}, KALVEX_AUTHOR_TEXT, {}, 3},
    {"lblHPTitle", Kind::Label, {360, 1560, 495, 255}, u"ＨＰ", {}, 5},
    {"lblHP", Kind::Link, {1080, 1560, 2295, 255}, KALVEX_HOMEPAGE_TEXT, {}, 6, {}, {},
     kAddressColour},
    {"cmdClose", Kind::Button, {840, 1920, 2175, 375}, u"と\uFF5Eじ\uFF5Eる", {}, 7},
    {"lblCopyright", Kind::Label, {480, 2400, 3255, 255}, u"", {}, 4},
};
// clang-format on

}  // namespace

frmAbout::frmAbout() : forms::Form(kWindow, kControls, {}) {
    OnClick("lblHP", [this] { lblHP_Click(); });
    OnClick("cmdClose", [this] { cmdClose_Click(); });
}

void frmAbout::Form_Load() {
    const forms::AppInfo app = forms::App();
    C("lblAPPName").SetText(app.exeName);
    const std::string version = "Ver " + std::to_string(app.major) + "." +
                                std::to_string(app.minor) + "." + std::to_string(app.revision);
    C("lblVer").SetText(std::u16string(version.begin(), version.end()));
    C("lblCopyright").SetText(app.legalCopyright);
}

bool frmAbout::Form_KeyDown(forms::Key key) {
    if (key.code != forms::kKeyEscape) return false;
    Unload();
    return true;
}

void frmAbout::lblHP_Click() { forms::ShellOpen(this, C("lblHP").Text()); }

void frmAbout::cmdClose_Click() { Unload(); }
