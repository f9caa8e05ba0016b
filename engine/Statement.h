// Statements of program source that build a page, as 逆変換 reads them: a line is read only when
// it is certainly an output call or command, or an assignment or append to a name, and every part
// of it parses; what is read is exactly what the statement puts into the page.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "engine/modConvert.h"

namespace modConvert::statement {

// What a block of code is written in, as far as its lines tell.
struct Dialect {
    EscapeMode mode = kEscapeNone;
    bool php =
        false;  // mode 1: . joins, $names and PHP's quoting; values as <?= ?>, code as <?php ?>
};

// A mode 1 line in PHP's own shape: it starts with $name, echo, print or <?php, or appends with .=.
bool LooksLikePhp(std::u16string_view line);

// Where a page line read from code goes: line breaks wait until text follows them, so that one
// starting or ending the statement (its line's own end) is dropped.
struct Sink {
    std::u16string* out = nullptr;
    bool php = false;
    std::size_t values = 0;
    bool lineEnd = false;  // a line break started or ended the statement
    std::size_t breaks = 0;
    bool afterCR = false;  // the last thing read was a CR, which an LF joins
    bool started = false;  // text has been written
    bool dropLeading = false;

    void Put(char16_t c);
    void Break(bool cr, bool lf);
    void Value(std::u16string_view v);
    void End();

  private:
    void Flush();
};

// VB's names are the same in any case: vbCrLf, VBCRLF, chr(10).
bool IsName(std::u16string_view v, std::u16string_view name);
// The line break a VB name joins, as CR and LF; nothing for any other value.
std::optional<std::pair<bool, bool>> LineBreakName(std::u16string_view v);
// A joined VB value as read: line breaks, vbTab and Chr(34) as text, any other as <%= %>.
void PutValue(EscapeMode mode, std::u16string_view v, Sink& sink);

struct Reading {
    std::u16string text;  // the page line, or lines where a line break stands inside
    std::size_t values = 0;
    bool lineEnd = false;
    // What it builds: an output call's receiver (call:out, call:sb, call: for printf or echo) or
    // an assigned name (set:sql), VB's in lower case.
    std::u16string target;
};

// Reads one statement, its lines joined with spaces; nothing when it is not certainly a
// string-building statement.
std::optional<Reading> Read(const Dialect& dialect, std::u16string_view statement);

// What the statement a typed head starts builds (out.println(", Response.Write ", s = s & "), or
// nothing when it starts none.
std::optional<std::u16string> HeadTarget(const Dialect& dialect, std::u16string_view head);

// Whether a line leaves its statement open: an open bracket, a join at its end, VB's _.
bool Continues(const Dialect& dialect, std::u16string_view line, std::u16string_view next);

// A comment line, or one that opens a block comment that it does not close.
enum class Comment { None, Line, Opens };
Comment CommentOf(const Dialect& dialect, std::u16string_view line);

}  // namespace modConvert::statement
