// How the design tables read, whatever the toolkit: which controls take the focus and in what
// order, how the menus nest, how labels and options grow, the faces to look for, colours.
#pragma once

#include <functional>
#include <span>
#include <string_view>
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
// Labels and frames hold a place in the tab order but never take the focus.
bool TakesFocus(Kind kind);

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
const Control* Next(const std::vector<const Control*>& ring, const Control* from, bool backwards);

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
