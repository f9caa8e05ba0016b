// How the design tables read, whatever the toolkit: which controls take the focus and in what
// order, how the menus nest, how labels and options grow, the faces to look for, colours.
#pragma once

#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "forms/Design.h"

namespace forms {

// A rectangle in the screen's pixels.
struct Pixels {
    int left, top, width, height;
    bool operator==(const Pixels&) const = default;
};

// Twips to pixels at dpi pixels an inch, and back, rounded half away from zero as the platform
// does: 1440 twips an inch.
int PxAt(int twips, int dpi);
int TwipsAt(int pixels, int dpi);

// A column box takes this many half-width digits at most, so its input method stays off.
inline constexpr int kColumnDigits = 3;

bool IsTextBox(Kind kind);

// What each kind of control is to a screen reader and to the keyboard, on every toolkit alike.
enum class Role { Label, Text, Button, Option, Group, Link };
struct Behaviour {
    Kind kind;
    Role role;
    bool takesFocus;  // labels and frames hold a place in the tab order but never take the focus
    bool namedByLabel;  // named by the label before it rather than by a caption
    std::string_view keys;  // what its keys do, beyond Tab, Shift+Tab, F6 and Shift+F6
};
const Behaviour& BehaviourOf(Kind kind);
bool TakesFocus(Kind kind);

// What a screen reader reads of a control.
struct Accessible {
    std::u16string name;  // its row's name, its caption or the label before it; no "&"
    std::u16string_view description;  // its design tooltip
    Role role;
    const Control* label;  // the label that names it, if any
    const Control* group;  // the frame it sits in, if any
};
Accessible AccessibleOf(std::span<const Control> controls, const Control& control);
std::u16string WithoutAmpersand(std::u16string_view caption);
// The letter after the "&" of a caption, upper case; 0 for none.
char16_t LetterOf(std::u16string_view caption);
// The box a label names: the one right after it in the table. Null for none.
const Control* BoxOf(std::span<const Control> controls, const Control& label);
// The controls as they are read: in tab-index order, each label just before the box it names
// and each frame just before the first control it holds. On Win32 this is the z-order, from
// which the system names a box by the label before it.
std::vector<const Control*> ReadingOrder(std::span<const Control> controls);
// Alt+letter: the box of the label with that letter; null for none.
const Control* LabelledBy(std::span<const Control> controls, char16_t letter);

bool IsFixedSize(Border border);
bool CanMinimize(Border border);
// A tool window shows beside its owner and leaves it the keyboard; it has no close box.
bool IsTool(Border border);

// The controls that take the focus, in tab-index order; the first has it when the window opens.
std::vector<const Control*> TabOrder(std::span<const Control> controls);

// The controls Tab visits, in order: those open to the user (enabled, visible), and of the
// option buttons in a frame only the selected one (the first, while none is).
std::vector<const Control*> TabStops(std::span<const Control> controls,
                                     const std::function<bool(const Control&)>& open,
                                     const std::function<bool(const Control&)>& selected);

// The one after from in a ring of stops, or before it; the first when from is not among them.
template <class T>
T* Next(const std::vector<T*>& ring, const std::type_identity_t<T>* from, bool backwards) {
    if (ring.empty()) return nullptr;
    std::size_t i = 0, n = ring.size();
    while (i < n && ring[i] != from) ++i;
    if (i == n) return ring.front();
    return ring[backwards ? (i + n - 1) % n : (i + 1) % n];
}

// The stop a window gives the focus to when it opens: the first, unless that is a link, which
// Enter would open by surprise.
const Control* FirstOf(const std::vector<const Control*>& stops);

// The option buttons of option's frame open to the user, in tab-index order.
std::vector<const Control*> OptionGroup(std::span<const Control> controls, const Control& option,
                                        const std::function<bool(const Control&)>& open);

// Where a menu item shows: on the menu bar as a menu (another item names it), as a submenu of
// the context menu of the multi-line box it names (another item names it; its Click comes as it
// opens), in the context menu of the multi-line box it names, in the menu it names, or on the
// bar as a command.
enum class MenuPlace { Menu, SubMenu, ContextMenu, InMenu, OnBar };
MenuPlace PlaceOf(const MenuItem& item, std::span<const MenuItem> menus,
                  std::span<const Control> controls);

// The design heights of labels and option buttons are a little short for the fallback faces: a
// label grows down to its text's height; an option grows about its middle, at most to the
// pitch options stand apart at, so as not to overlap the next one.
Pixels GrownToText(const Control& design, const Pixels& at, int textHeight, int dpi);

// The faces to look for, in order: the design face, faces with its metrics, then what every
// Japanese desktop has.
std::span<const std::u16string_view> FaceNames(Face face);
// The window's default font, as on a Japanese desktop, stands in for Face::Window.
Font Resolved(const Font& font);

struct Rgb {
    int red, green, blue;
};
Rgb RgbOf(int colour);

}  // namespace forms
