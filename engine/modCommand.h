// The text commands: 編集 and the commands of the input box's context menu, one row each. The
// context menu, the result window's caption and kalvex-cli read this table; RunCommand is the
// one place that knows what each command calls.
#pragma once

#include <cstdint>
#include <functional>
#include <iterator>
#include <string>
#include <string_view>

#include "engine/modConvert.h"
#include "engine/modLiteral.h"

namespace modConvert {

enum class Command {
    Edit,
    Reverse,
    Check,
    EditUnicode,
    EditApostrophes,
    EditTabs,
    EditJoins,
    LiteralTextBlock,
    LiteralTemplate,
    LiteralRaw,
    LiteralJson,
};

// A submenu of the input box's context menu, after the items before its first one.
struct CommandMenu {
    std::string_view item;
    std::u16string_view caption;  // & before its letter
};
inline constexpr CommandMenu kLiteralMenu{"mnuEditLiteral", u"編集（1つのリテラルに）(&L)"};

struct CommandRow {
    Command command;
    std::string_view item;        // its context menu item; empty for 編集, a button of its own
    std::u16string_view caption;  // the item's caption, & before its letter
    std::u16string_view note;     // goes before the result window's caption
    std::string_view cliName;     // what kalvex-cli calls it
    bool needsEscaping;           // greyed while 変換なし is chosen: nothing to write it in
    // Each line's output depends on that line alone, so kalvex-cli may convert a long text in
    // pieces cut at line ends; a command that does not say so is given its text whole.
    bool byLine = false;
    std::string_view menu = {};   // the submenu it sits in; empty for the context menu itself
    bool (*holds)(std::u16string_view text) = nullptr;  // greyed for a text it cannot hold
};

// clang-format off
inline constexpr CommandRow kCommands[] = {
    {Command::Edit, "", u"編集", u"", "edit", false, true},
    {Command::Reverse, "mnuReverse", u"逆変換(&R)", u"逆変換", "reverse", false},
    {Command::Check, "mnuCheck", u"変換前チェック(&K)", u"変換前チェック", "check", false},
    {Command::EditUnicode, "mnuEditUnicode",
     u"編集（非ASCIIを \\uXXXX に）Java・JavaScript・C# 向け(&X)", u"編集（非ASCIIを \\uXXXX に）",
     "unicode", false, true},
    {Command::EditApostrophes, "mnuEditApostrophes",
     u"編集（' を \\' に）JavaScript・PHP・Python 向け(&Q)", u"編集（' を \\' に）", "apostrophe",
     false, true},
    {Command::EditTabs, "mnuEditTabs", u"編集（タブを \\t / vbTab に）(&B)",
     u"編集（タブを \\t / vbTab に）", "tab", true, true},
    {Command::EditJoins, "mnuEditJoins", u"編集（<%= 式 %> を連結に）(&J)",
     u"編集（<%= 式 %> を連結に）", "joins", true, true},
    {Command::LiteralTextBlock, "mnuLiteralTextBlock", u"Java テキストブロック(&J)",
     u"Java テキストブロック", "text-block", false, false, kLiteralMenu.item},
    {Command::LiteralTemplate, "mnuLiteralTemplate", u"JavaScript テンプレート(&T)",
     u"JavaScript テンプレート", "template", false, false, kLiteralMenu.item},
    {Command::LiteralRaw, "mnuLiteralRaw", u"C++ raw 文字列(&R)", u"C++ raw 文字列", "raw", false,
     false, kLiteralMenu.item, [](std::u16string_view text) { return Holds(Literal::Raw, text); }},
    {Command::LiteralJson, "mnuLiteralJson", u"JSON 文字列(&N)", u"JSON 文字列", "json", false,
     false, kLiteralMenu.item},
};
// clang-format on

// The rows are in the order of the enumeration, one each (a command added after LiteralJson
// moves the check's last name with it).
constexpr bool RowsInOrder() {
    for (std::size_t i = 0; i < std::size(kCommands); ++i)
        if (kCommands[i].command != static_cast<Command>(i)) return false;
    return std::size(kCommands) == static_cast<std::size_t>(Command::LiteralJson) + 1;
}
static_assert(RowsInOrder());

constexpr const CommandRow& RowOf(Command command) {
    return kCommands[static_cast<std::size_t>(command)];
}

// What the main window's fields give a command, the column fields as numbers.
struct Fields {
    EscapeMode mode = kEscapeNone;
    std::u16string_view text, head, tail;
    std::int16_t hStart = 0, tStart = 0;
};

// Runs a command, writing its output into the storage room gives for its size (room may give
// nullptr: then nothing is written); returns the note for the result window's caption. Throws
// std::bad_alloc when its work does not fit in memory.
std::u16string RunCommand(Command command, const Fields& fields,
                          const std::function<char16_t*(std::size_t)>& room);

}  // namespace modConvert
