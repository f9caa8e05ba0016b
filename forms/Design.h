// How a window is designed: its border, caption and client size, and one row per control and
// per menu item. Each window declares these tables once; the forms runtime builds the window
// from them. Geometry is in twips (1/1440 inch).
#pragma once

#include <string_view>

namespace forms {

// A rectangle in twips, relative to the client area or to the frame the control sits in.
struct Twips {
    int left, top, width, height;
};

// The border a window is made with sets the buttons its title bar offers.
enum class Border {
    FixedMain,     // fixed size; minimize and close
    SizableTool,   // sizable; no buttons, no taskbar entry; belongs to its owner
    SizableModal,  // sizable; minimize and close
    FixedDialog,   // fixed size; close only
};

enum class Kind {
    Label,
    TextBox,       // single line
    ColumnBox,     // single line, at most three half-width digits, right-aligned
    MultiLineBox,  // both scroll bars, lines never wrap
    Button,
    Option,        // option buttons in one frame exclude each other
    Frame,         // a captioned group that holds other controls
    Link,          // a label that opens its address: takes the focus, Enter and Space click it
};

enum class Face {
    Window,   // the window's default font
    Gothic,   // "ＭＳ ゴシック": fixed pitch, a double-width character is two cells
    PGothic,  // "ＭＳ Ｐゴシック": proportional
};

struct Font {
    Face face = Face::Window;
    double points = 9;
    bool bold = false;
};

inline constexpr int kDefaultColour = -1;

struct Control {
    std::string_view name;  // members of a control array end in _index: "txtAddText_0"
    Kind kind;
    Twips at;
    std::u16string_view caption;  // a label's or button's caption, a text box's text
    std::u16string_view tip = {};
    int tabIndex = -1;  // labels and frames hold a place in the order but never the focus
    Font font = {};
    std::string_view frame = {};     // the frame it sits in, if any
    int colour = kDefaultColour;     // text colour, 0xRRGGBB
    // What a screen reader calls it where neither its caption nor the label before it says it.
    std::u16string_view accessibleName = {};
};

enum class Shortcut { None, Copy };

struct MenuItem {
    std::string_view name;
    std::u16string_view caption;  // "&" marks the accelerator letter
    // The menu it belongs to; empty for one on the menu bar. A multi-line text box named here
    // shows the item in its context menu, after the toolkit's editing items and a separator.
    std::string_view menu = {};
    Shortcut shortcut = Shortcut::None;
};

struct Window {
    std::string_view name;
    std::u16string_view caption;
    Border border;
    int clientWidth, clientHeight;  // twips, under the menu bar
    std::string_view defaultButton = {};  // pressed by Enter unless a button has the focus
};

}  // namespace forms
