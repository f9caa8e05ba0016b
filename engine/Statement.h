// Statements of program source that build a page, as 逆変換 reads them: a line is read only when
// it is certainly an output call or command, or an assignment or append to a name, and every part
// of it parses; what is read is exactly what the statement puts into the page.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

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
    // A literal spanning lines was read: its value is the text, a line break at its start or end
    // included.
    bool keepEnds = false;

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
    bool whole = false;  // it held a literal spanning lines, whose every line counts as read
    bool appends = false;  // x = x & "...", x += "...", $x .= "...": it adds to the name's text
    // A plain assignment (sql = "SELECT") starts the name's text afresh: the same assignment of
    // an empty literal (sql = ""). Empty for any other statement.
    std::u16string fresh = {};
};

// Reads one statement, its lines joined with spaces; nothing when it is not certainly a
// string-building statement.
std::optional<Reading> Read(const Dialect& dialect, std::u16string_view statement);

// The statement a typed head starts (out.println(", Response.Write ", s = s & "), read with a
// literal after it: what it builds and whether it appends; nothing when it starts none.
std::optional<Reading> HeadReading(const Dialect& dialect, std::u16string_view head);

// The literals spanning lines that a line of C, Java or JavaScript leaves open, innermost last: a
// text block, a raw string (closed by its )delimiter"), a template, and the ${ } inside one (with
// the braces open in it). Empty outside them.
struct Spanning {
    struct Frame {
        char16_t kind;  // B text block, R raw string, T template, E a template's ${ }
        std::u16string close;
        int braces = 0;
    };
    std::vector<Frame> frames;
    int depth = 0;  // brackets the lines before left open, outside literals (Continues)
    bool empty() const { return frames.empty(); }
};

// Carries the literals open at a line's start over it: open holds those open at its end. True
// when its code ends with a raw string, to which C++ joins a literal that starts the next line.
bool Carry(const Dialect& dialect, std::u16string_view line, Spanning& open);

// Whether s starts with a literal C++ joins to a raw string before it (" or R", blanks aside).
bool JoinsRaw(std::u16string_view s);

// Whether s starts with a literal that may span lines (""" and a line break, `, R"d(), or with
// String.join(.
bool StartsLiteral(std::u16string_view s);

// Whether code typed before a literal ends outside any literal and comment.
bool EndsInCode(std::u16string_view code);

// Whether code tags a template after it (its value then the tag's): it ends with a name (not a
// keyword such as return), ) or ], blanks aside.
bool TagsTemplate(std::u16string_view code);

// Whether a line leaves its statement open: a literal spanning lines or a bracket (both carried
// in open from line to line), a join or = at its end, VB's _, C++'s adjacent raw literal next.
bool Continues(const Dialect& dialect, std::u16string_view line, std::u16string_view next,
               Spanning& open);

// The literal a literal form writes at s's start, whole: a text block, String.join("", ...) of
// them, a template, C++'s adjacent raw (and plain) literals, or a JSON array of one string a
// line. Its value goes into out exactly (a line break of the source as CR LF, an escape as the
// unit it stands for, ${expr} as <%= expr %>, counted in values); gives where it ends, or
// nothing when s does not start with one that reads.
std::optional<std::size_t> LiteralForm(std::u16string_view s, std::u16string* out,
                                       std::size_t* values);

// A comment line, or one that opens a block comment that it does not close.
enum class Comment { None, Line, Opens };
Comment CommentOf(const Dialect& dialect, std::u16string_view line);

}  // namespace modConvert::statement
