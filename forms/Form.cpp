// forms::Form on any toolkit: the form owns its window, finds its controls by name, and hands
// the window's events to its handlers, guarded.
#include <algorithm>
#include <limits>

#include "forms/Guard.h"
#include "forms/Native.h"
#include "forms/Rules.h"

namespace forms {

namespace {

// Every name a table gives for another row: a frame, a menu or box, the default button. One that
// names nothing stops the program before any window is built on it.
const Window& Checked(const Window& design, std::span<const Control> controls,
                      std::span<const MenuItem> menus) {
    const auto control = [&](std::string_view name, Kind kind) {
        return std::any_of(controls.begin(), controls.end(),
                           [&](const Control& c) { return c.name == name && c.kind == kind; });
    };
    const auto menu = [&](std::string_view name) {
        return std::any_of(menus.begin(), menus.end(), [&](auto& m) { return m.name == name; });
    };
    const auto stop = [&](std::string_view name) {
        Fatal("Kalvex: " + std::string(design.name) + "'s tables name no " + std::string(name));
    };
    for (const Control& c : controls)
        if (!c.frame.empty() && !control(c.frame, Kind::Frame)) stop(c.frame);
    for (const MenuItem& item : menus)
        if (!item.menu.empty() && !menu(item.menu) && !control(item.menu, Kind::MultiLineBox))
            stop(item.menu);
    if (!design.defaultButton.empty() && !control(design.defaultButton, Kind::Button))
        stop(design.defaultButton);
    return design;
}

// Every form, for F6 to find a window's family.
std::vector<Form*> forms;

}  // namespace

Form::Form(const Window& design, std::span<const Control> controls, std::span<const MenuItem> menus,
           Form* owner)
    : name_(design.name),
      tool_(IsTool(design.border)),
      controls_(controls),
      menus_(menus),
      owner_(owner),
      native_(NativeForm::Make(*this, Checked(design, controls, menus))) {
    forms.push_back(this);
}

Form::~Form() { std::erase(forms, this); }

void Form::Load() {
    loaded_ = true;
    Form_Load();
}

// A closed window does nothing, and has no place or size.
void Form::ShowModeless() {
    if (!IsClosed()) native_->ShowModeless();
}
void Form::ShowModal() {
    if (!IsClosed()) native_->ShowModal();
}
void Form::Unload() {
    if (!IsClosed()) native_->Close();
}
bool Form::IsClosed() const { return !native_->IsOpen(); }

Twips Form::Outer() const { return IsClosed() ? Twips{} : ToTwips(native_->Outer()); }
void Form::Move(const Twips& outer) {
    if (!IsClosed()) native_->SetOuter(Px(outer));
}
void Form::CentreOver(const Form* other) {
    if (!IsClosed())
        native_->CentreOver(other && !other->IsClosed() ? other->native_.get() : nullptr);
}
Twips Form::Client() const { return IsClosed() ? Twips{} : ToTwips(native_->Client()); }

WindowState Form::State() const {
    return !IsClosed() && native_->IsMinimized() ? kMinimized : kNormal;
}
void Form::SetState(WindowState state) {
    if (!IsClosed() && state != State()) native_->SetMinimized(state == kMinimized);
}

void Form::SetCaption(std::u16string_view caption) {
    if (!IsClosed()) native_->SetCaption(caption);
}

NativeControl& Form::Named(std::string_view name) const {
    NativeControl* control = native_->Find(name);
    if (!control)
        Fatal("Kalvex: " + std::string(name_) + " has no control or menu item named " +
              std::string(name));
    return *control;
}

Ctl Form::C(std::string_view name) const {
    NativeControl& control = Named(name);
    return Ctl(IsClosed() ? nullptr : &control);
}

void Form::OnClick(std::string_view name, std::function<void()> handler) {
    native_->OnClick(Named(name), [handler = std::move(handler)] { Guarded(handler); });
}

void Form::OnChange(std::string_view name, std::function<void()> handler) {
    native_->OnChange(Named(name), [handler = std::move(handler)] { Guarded(handler); });
}

// A handler that fails takes its key with it.
void Form::OnKeyDown(std::string_view name, std::function<bool(Key)> handler) {
    native_->OnKeyDown(Named(name), [handler = std::move(handler)](Key key) {
        return Guarded(true, [&] { return handler(key); });
    });
}

void NativeForm::SendUnload(Form& form) {
    if (form.loaded_) Guarded([&] { form.Form_Unload(); });
}
void NativeForm::SendResize(Form& form) {
    if (form.loaded_) Guarded([&] { form.Form_Resize(); });
}
bool NativeForm::SendKeyDown(Form& form, Key key) {
    return form.loaded_ && Guarded(true, [&] { return form.Form_KeyDown(key); });
}
void NativeForm::SendOnScreen(Form& form) {
    if (form.loaded_) Guarded([&] { form.Form_OnScreen(); });
}

std::vector<const Control*> NativeForm::TabStops(std::span<const Control> controls) {
    return forms::TabStops(
        controls, [this](const Control& c) { return IsReachable(*Find(c.name)); },
        [this](const Control& c) { return IsSelected(*Find(c.name)); });
}

const Control* NativeForm::FirstStop(std::span<const Control> controls) {
    return FirstOf(TabStops(controls));
}

// A window's family: the window, or the one a tool window belongs to, and its open tool windows.
void NativeForm::SendPaneKey(Form& form, bool backwards) {
    Form* top = form.tool_ && form.Owner() ? form.Owner() : &form;
    std::vector<Form*> family{top};
    for (Form* other : forms)
        if (other->tool_ && other->Owner() == top && !other->IsClosed()) family.push_back(other);
    Form* to = Next(family, &form, backwards);
    if (to != &form && !to->IsClosed()) Guarded([&] { to->native_->Activate(); });
}

// --- The alert ---

namespace {
AlertListener alertListener = nullptr;
}  // namespace

void Alert() noexcept { alertListener ? alertListener() : Beep(); }
void ListenToAlerts(AlertListener listener) noexcept { alertListener = listener; }

// --- Geometry ---

int Px(int twips) { return PxAt(twips, ScreenDpi()); }
int ToTwips(int pixels) { return TwipsAt(pixels, ScreenDpi()); }
Pixels Px(const Twips& at) { return {Px(at.left), Px(at.top), Px(at.width), Px(at.height)}; }
Twips ToTwips(const Pixels& at) {
    return {ToTwips(at.left), ToTwips(at.top), ToTwips(at.width), ToTwips(at.height)};
}

// --- LargeText ---

// A text box counts its characters in an int, its closing NUL among them.
constexpr std::size_t kMostShownUnits = std::numeric_limits<int>::max() - 1;

char16_t* LargeText::Resize(std::size_t size) {
    if (size > kMostShownUnits) return nullptr;
    char16_t* units = nullptr;
    native_ = NewNativeText(size, units);
    return units;
}

}  // namespace forms
