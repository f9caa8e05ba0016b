#include "engine/Statement.h"

#include <algorithm>
#include <span>
#include <vector>

#include "engine/Line.h"

namespace modConvert::statement {
namespace {

constexpr std::size_t kNone = std::u16string_view::npos;

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }
bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
// Names may hold any letter beyond ASCII (住所 = "..." in VB), but not the ideographic space.
bool IsNameStart(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_' || c == u'$' ||
           (c >= 0x80 && c != 0x3000);
}
bool IsNameChar(char16_t c) { return IsNameStart(c) || IsDigit(c); }

constexpr std::u16string_view kCRLF = u"\r\n";
constexpr std::u16string_view kTextBlock = u"\"\"\"";
constexpr std::u16string_view kJoin = u"String.join(";

std::u16string_view Trim(std::u16string_view s) {
    const std::size_t first = s.find_first_not_of(u" \t");
    if (first == kNone) return {};
    return s.substr(first, s.find_last_not_of(u" \t") - first + 1);
}

bool IsOneOf(std::u16string_view name, std::initializer_list<std::u16string_view> names) {
    return std::any_of(names.begin(), names.end(),
                       [name](std::u16string_view n) { return IsName(name, n); });
}

// Calls and commands that print or append what they are given.
bool IsOutputName(std::u16string_view name) {
    return IsOneOf(name, {u"print", u"println", u"write", u"writeln", u"writeline", u"append",
                          u"appendline", u"echo", u"puts", u"send"});
}
// Given nothing, these print an empty line.
bool IsLineName(std::u16string_view name) {
    return IsOneOf(name, {u"println", u"writeline", u"writeln", u"appendline"});
}
// Their first literal is a format that the arguments after it fill.
bool IsFormatName(std::u16string_view name) {
    return IsOneOf(name, {u"printf", u"fprintf", u"appendformat"});
}

// What a format literal holds, as read: units and line breaks.
struct Collected {
    struct Item {
        char16_t c;
        bool isBreak, cr, lf;
    };
    std::vector<Item> items;
    bool hasValue = false;
    void Put(char16_t c) { items.push_back({c, false, false, false}); }
    void Break(bool cr, bool lf) { items.push_back({0, true, cr, lf}); }
    void Value(std::u16string_view) { hasValue = true; }
};

int HexValue(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    return -1;
}

// Whether a text block opens at i: """ and white space up to the line's end.
bool TextBlockOpens(std::u16string_view s, std::size_t i) {
    if (s.substr(i, 3) != kTextBlock) return false;
    for (i += 3; i < s.size() && (IsBlank(s[i]) || s[i] == u'\f');) ++i;
    return i == s.size() || s.substr(i).starts_with(kCRLF);
}

// White space javac strips from a line's end that has no escape of its own (\s \t \f \r \n).
bool StrippedAlone(char16_t c) {
    return line::IsJavaWhitespace(c) && c != u' ' && c != u'\t' && c != u'\f' && c != u'\r' &&
           c != u'\n';
}

// Where the raw string opening at i (R"delimiter() has its content, with what closes it; kNone
// when none opens there. One led by a name's unit (u8R"", LR"") is another kind of literal.
std::size_t RawOpen(std::u16string_view s, std::size_t i, std::u16string* close) {
    if (s.substr(i, 2) != u"R\"" || (i > 0 && IsNameChar(s[i - 1]))) return kNone;
    const std::size_t paren = s.substr(0, i + 19).find(u'(', i + 2);  // 16 units at most
    if (paren == kNone) return kNone;
    const std::u16string_view delimiter = s.substr(i + 2, paren - (i + 2));
    if (delimiter.find_first_of(u" )\\\t\v\f\r\n\"") != kNone) return kNone;
    if (close) *close = u')' + std::u16string(delimiter) + u'"';
    return paren + 1;
}

// After the one-line literal opening at i (" or '), or kNone when it does not close.
std::size_t SkipQuoted(std::u16string_view s, std::size_t i) {
    for (std::size_t k = i + 1; k < s.size(); ++k) {
        if (s[k] == u'\\') {
            ++k;
        } else if (s[k] == s[i]) {
            return k + 1;
        }
    }
    return kNone;
}

// Inside the innermost literal open (not a ${ }) from i: after it closes (what closed into
// closed) or a ${ opens, or the line's end.
std::size_t StepInside(std::u16string_view s, std::size_t i, Spanning& open, char16_t& closed) {
    Spanning::Frame& f = open.frames.back();
    if (f.kind == u'R') {
        const std::size_t at = s.find(f.close, i);
        if (at == kNone) return s.size();
        const std::size_t after = at + f.close.size();
        open.frames.pop_back();
        closed = u'R';
        return after;
    }
    for (; i < s.size(); ++i) {
        if (s[i] == u'\\') {
            ++i;
        } else if ((f.kind == u'B' && s.substr(i, 3) == kTextBlock) ||
                   (f.kind == u'T' && s[i] == u'`')) {
            open.frames.pop_back();
            closed = u'"';
            return i + (s[i] == u'`' ? 1 : 3);
        } else if (f.kind == u'T' && s.substr(i, 2) == u"${") {
            open.frames.push_back({u'E', {}});
            return i + 2;
        }
    }
    return s.size();
}

// A line walked at its outer level, from inside the literals open at its start.
struct Walked {
    std::size_t codeFrom = 0;  // after the literals open at its start
    std::size_t codeEnd = 0;   // where a comment at its end starts
    int depth = 0;             // brackets opened less those closed
    bool broken = false;       // a one-line literal does not close
    char16_t lastLiteral = 0;  // its code ends with a literal: R a raw string, " another
};

Walked Walk(const Dialect& d, std::u16string_view s, Spanning& open) {
    const bool spans = d.mode == kEscapeBackslash && !d.php;
    Walked w;
    w.codeEnd = s.size();
    bool started = open.empty();
    for (std::size_t i = 0; i < s.size();) {
        if (!open.empty() && open.frames.back().kind != u'E') {
            char16_t closed = 0;
            i = StepInside(s, i, open, closed);
            if (open.empty()) {
                w.codeFrom = started ? w.codeFrom : i;
                started = true;
                w.lastLiteral = closed;
            }
            continue;
        }
        const bool outer = open.empty();  // else in a template's ${ }
        const char16_t c = s[i];
        const char16_t next = i + 1 < s.size() ? s[i + 1] : u'\0';
        const bool comment = (c == u'/' && (next == u'/' || next == u'*')) || (d.php && c == u'#');
        if (comment) {
            const std::size_t end = c == u'/' && next == u'*' ? s.find(u"*/", i + 2) : kNone;
            if (end == kNone) {
                w.codeEnd = outer ? i : w.codeEnd;
                break;
            }
            i = end + 2;
        } else if (spans && (c == u'`' || (c == u'"' && TextBlockOpens(s, i)))) {
            open.frames.push_back({c == u'`' ? u'T' : u'B', {}});
            i += c == u'`' ? 1 : 3;
        } else if (spans && c == u'R' && RawOpen(s, i, nullptr) != kNone) {
            open.frames.push_back({u'R', {}});
            i = RawOpen(s, i, &open.frames.back().close);
        } else if (c == u'"' || c == u'\'') {
            i = SkipQuoted(s, i);
            w.broken = i == kNone;
            if (w.broken) break;
            w.lastLiteral = outer ? u'"' : w.lastLiteral;
        } else if (!outer) {
            Spanning::Frame& f = open.frames.back();
            if (c == u'{') ++f.braces;
            if (c == u'}' && f.braces-- == 0) open.frames.pop_back();
            ++i;
        } else {
            if (c == u'(' || c == u'[') ++w.depth;
            if (c == u')' || c == u']') --w.depth;
            if (!IsBlank(c)) w.lastLiteral = 0;
            ++i;
        }
    }
    if (!started) w.codeFrom = s.size();
    return w;
}

// What a join read: whether it held a literal, whether it started with its accumulator.
struct Built {
    bool literal = false;
    bool accumulated = false;
};

// An output call at the end of a path: its ( and what follows its ), and its name.
struct Call {
    std::size_t open, after;
    std::u16string_view name;
};

// The callee or the target of a statement.
struct Path {
    std::size_t end = kNone;
    std::u16string_view last;  // the last name
    bool plain = true;         // names only, no calls or indexes: a target
    std::vector<Call> calls;   // the output calls it ends with
    bool bad = false;          // another call after its first output call
};

class Parser {
  public:
    // vbPlus: VB joined with + as well as &, as VB.NET allows. units: an escape of a line
    // break (\n, \r) is that unit, as in a literal form's value, not a line break of the page.
    Parser(const Dialect& d, std::u16string_view s, Sink& sink, bool vbPlus = false,
           bool units = false)
        : d_(d), s_(s), sink_(sink), vbPlus_(vbPlus), units_(units) {}

    std::optional<Reading> Statement();
    std::optional<std::size_t> Form();
    // A """ literal closed on a line of its own is C#'s raw string as well, whose value differs:
    // a Java text block only where the statement shows Java (String, final, String.join, a call
    // in Java's lower case).
    bool MaybeCSharp() const { return ownLineClose_ && !java_; }
    bool Appends() const { return appends_; }
    std::u16string TakeFresh() { return std::move(fresh_); }

  private:
    char16_t At(std::size_t i) const { return i < s_.size() ? s_[i] : u'\0'; }
    char16_t Peek() const { return At(i_); }
    void SkipBlanks() {
        while (i_ < s_.size() && IsBlank(s_[i_])) ++i_;
    }
    // Blanks and line breaks, between the pieces of a literal.
    void SkipSpace() {
        while (IsBlank(Peek()) || s_.substr(i_).starts_with(kCRLF)) i_ += IsBlank(Peek()) ? 1 : 2;
    }
    bool C() const { return d_.mode == kEscapeBackslash; }
    bool VB() const { return d_.mode == kEscapeQuoteDoubling; }
    // C, Java and JavaScript, whose literals may span lines: not PHP.
    bool Spans() const { return C() && !d_.php; }
    bool IsQuote(char16_t c) const {
        return c == u'"' || (C() && c == u'\'') || (Spans() && c == u'`');
    }
    bool OpensLiteral(std::size_t i) const {
        return IsQuote(At(i)) || (Spans() && RawOpen(s_, i, nullptr) != kNone);
    }
    std::optional<unsigned> Hex(std::size_t at, std::size_t digits) const {
        unsigned value = 0;
        for (std::size_t k = at; k < at + digits; ++k) {
            const int digit = HexValue(At(k));
            if (digit < 0) return std::nullopt;
            value = value << 4 | static_cast<unsigned>(digit);
        }
        return value;
    }
    // The keyword at i, in any case, followed by a blank.
    bool WordAt(std::size_t i, std::u16string_view word) const {
        const std::size_t end = i + word.size();
        return end < s_.size() && IsName(s_.substr(i, word.size()), word) && IsBlank(s_[end]);
    }
    std::size_t NameEnd(std::size_t i) const {
        if (i >= s_.size() || !IsNameStart(s_[i])) return kNone;
        while (i < s_.size() && IsNameChar(s_[i])) ++i;
        return i;
    }

    template <class Out>
    bool Literal(Out& out);
    template <class Out>
    bool Escape(Out& out, bool phpDouble);
    template <class Out>
    bool Interpolated(Out& out);
    template <class Out>
    void EscapedBreak(Out& out, char16_t c);
    template <class Out>
    bool TextBlock(Out& out);
    template <class Out>
    bool JavaEscape(Out& out, std::u16string_view line, std::size_t& j);
    template <class Out>
    bool Template(Out& out);
    template <class Out>
    bool TemplateEscape(Out& out, std::size_t& i);
    template <class Out>
    bool Raw(Out& out);
    template <class Out>
    bool Joined(Out& out);
    bool JsonArray();
    bool JsonString();
    bool LineBreak();
    bool OtherLiteral(std::size_t i) const;
    std::size_t SkipLiteral(std::size_t i) const;
    std::size_t TemplateEnd(std::size_t i) const;
    std::size_t ExpressionEnd(std::size_t i) const;
    std::size_t SkipBrackets(std::size_t i) const;
    std::size_t TermEnd(std::size_t i) const;
    std::size_t ValueEnd(std::size_t i) const;
    std::size_t JoinLength() const;
    bool Chain(bool commas, std::u16string_view accumulator, Built& built);
    bool HasComma(std::size_t open, std::size_t after) const;
    bool Format(std::u16string_view name, bool braces);
    bool Tail();
    std::size_t EchoWord() const;
    bool SkipDeclaration(bool& typed);
    bool ReadPath(Path& path) const;
    bool OutputCalls(const Path& path, std::size_t start);
    bool Assignment(std::u16string_view target);
    std::u16string Fresh(std::size_t value, bool semicolon) const;
    std::u16string Target(std::u16string_view prefix, std::u16string_view name) const;

    const Dialect& d_;
    std::u16string_view s_;
    Sink& sink_;
    bool vbPlus_;
    bool units_;
    std::size_t i_ = 0;
    mutable int nesting_ = 0;  // templates being skipped, one inside another
    bool ownLineClose_ = false;
    bool java_ = false;
    bool appends_ = false;  // what the assignment read does
    std::u16string fresh_;
};

// The literal opening at i_ read into out; false when it does not close, holds an escape its
// language would not read so, or is another kind of literal (L"", @"", $"", f"").
template <class Out>
bool Parser::Literal(Out& out) {
    if (OtherLiteral(i_)) return false;
    if (Spans() && s_[i_] == u'`') return Template(out);
    if (Spans() && TextBlockOpens(s_, i_)) return TextBlock(out);
    if (Spans() && RawOpen(s_, i_, nullptr) != kNone) return Raw(out);
    const char16_t quote = s_[i_];
    const bool phpSingle = d_.php && quote == u'\'';
    const bool phpDouble = d_.php && quote == u'"';
    for (++i_; i_ < s_.size();) {
        const char16_t c = s_[i_];
        if (c == quote) {
            if (VB() && At(i_ + 1) == quote) {
                out.Put(quote);
                i_ += 2;
                continue;
            }
            ++i_;
            return true;
        }
        if (C() && c == u'\\') {
            if (phpSingle) {  // PHP's single quotes read only \\ and \'
                const char16_t next = At(i_ + 1);
                const bool escaped = next == u'\\' || next == u'\'';
                out.Put(escaped ? next : c);
                i_ += escaped ? 2 : 1;
            } else if (!Escape(out, phpDouble)) {
                return false;
            }
            continue;
        }
        if (phpDouble && c == u'{' && At(i_ + 1) == u'$') {  // {$name}, as $name
            const std::size_t end = NameEnd(i_ + 1);
            if (end == kNone || At(end) != u'}' || At(i_ + 2) == u'$') return false;
            out.Value(s_.substr(i_ + 1, end - i_ - 1));
            i_ = end + 1;
            continue;
        }
        if (phpDouble && c == u'$' && (IsNameStart(At(i_ + 1)) || At(i_ + 1) == u'{')) {
            if (!Interpolated(out)) return false;
            continue;
        }
        out.Put(c);
        ++i_;
    }
    return false;
}

template <class Out>
bool Parser::Escape(Out& out, bool phpDouble) {
    const char16_t next = At(i_ + 1);
    std::size_t length = 2;
    switch (next) {
        case u'\\':
        case u'"':
            out.Put(next);
            break;
        case u'n':
        case u'r':
            EscapedBreak(out, next);
            break;
        case u't':
            out.Put(u'\t');
            break;
        case u'f':
            out.Put(u'\f');
            break;
        case u'$':
            if (!phpDouble) return false;
            out.Put(u'$');
            break;
        case u'\'':
        case u'/':
        case u'b':
        case u'0':
        case u'u': {
            // PHP writes these as they stand; an octal \0 with digits after it is not a NUL.
            if (phpDouble) {
                if (next == u'0' || next == u'u') return false;
                out.Put(u'\\');
                length = 1;
                break;
            }
            if (next == u'0' && IsDigit(At(i_ + 2))) return false;
            if (next != u'u') {
                out.Put(next == u'b' ? u'\b' : next == u'0' ? u'\0' : next);
                break;
            }
            unsigned value = 0;
            for (std::size_t k = 2; k < 6; ++k) {
                const int digit = HexValue(At(i_ + k));
                if (digit < 0) return false;
                value = value << 4 | static_cast<unsigned>(digit);
            }
            out.Put(static_cast<char16_t>(value));
            length = 6;
            break;
        }
        default:
            if (!phpDouble || next == u'\0' || next == u'v' || next == u'e' || next == u'x' ||
                IsDigit(next))
                return false;
            out.Put(u'\\');  // PHP keeps an unknown escape as it stands
            length = 1;
    }
    i_ += length;
    return true;
}

// A simple $name inside PHP's double quotes, as a value; one with [ or -> after it, or in braces,
// is not read.
template <class Out>
bool Parser::Interpolated(Out& out) {
    if (At(i_ + 1) == u'$' || At(i_ + 1) == u'{') return false;
    const std::size_t end = NameEnd(i_ + 1);
    if (At(end) == u'[' || (At(end) == u'-' && At(end + 1) == u'>')) return false;
    out.Value(s_.substr(i_, end - i_));
    i_ = end;
    return true;
}

// An escape of a line break: in a page line read from a statement a line break, in a literal
// form's value the unit itself.
template <class Out>
void Parser::EscapedBreak(Out& out, char16_t c) {
    if (units_) return out.Put(c == u'n' ? u'\n' : u'\r');
    out.Break(c == u'r', c == u'n');
}

// A Java text block at i_, read as javac reads it: \uXXXX first, then its lines with their
// common indentation (the closing line's counted, none when it starts the line) and trailing
// white space removed, then its escapes. A lone CR or LF, a line end to javac, is not read.
template <class Out>
bool Parser::TextBlock(Out& out) {
    std::size_t i = i_ + 3;
    while (IsBlank(At(i)) || At(i) == u'\f') ++i;
    if (s_.substr(i, 2) != kCRLF) return false;
    std::vector<std::u16string> lines(1);
    for (i += 2; s_.substr(std::min(i, s_.size()), 3) != kTextBlock;) {
        if (i >= s_.size()) return false;
        const char16_t c = s_[i];
        if (s_.substr(i, 2) == kCRLF) {
            lines.emplace_back();
            i += 2;
        } else if (c == u'\r' || c == u'\n') {
            return false;
        } else if (c == u'\\' && At(i + 1) == u'u') {
            std::size_t digits = i + 1;
            while (At(digits) == u'u') ++digits;
            const auto unit = Hex(digits, 4);
            // One that would close the block, start an escape or end a line is not read.
            if (!unit || *unit == u'"' || *unit == u'\\' || *unit == u'\r' || *unit == u'\n')
                return false;
            lines.back() += static_cast<char16_t>(*unit);
            i = digits + 4;
        } else {
            // An escape's second unit (\" \\) closes nothing and starts no \u.
            const std::size_t n = c == u'\\' && i + 1 < s_.size() && s_[i + 1] != u'\r' ? 2 : 1;
            lines.back() += s_.substr(i, n);
            i += n;
        }
    }
    i_ = i + 3;
    sink_.keepEnds = true;
    ownLineClose_ = ownLineClose_ || Trim(lines.back()).empty();
    const auto indentOf = [](std::u16string_view l) {
        std::size_t k = 0;
        while (k < l.size() && line::IsJavaWhitespace(l[k])) ++k;
        return k;
    };
    const std::u16string& last = lines.back();
    std::size_t outdent = indentOf(last);
    for (const std::u16string& l : lines) {
        if (indentOf(l) < l.size()) outdent = std::min(outdent, indentOf(l));
    }
    for (std::size_t k = 0; k < lines.size(); ++k) {
        std::u16string_view l = lines[k];
        std::size_t end = l.size();
        while (end > 0 && line::IsJavaWhitespace(l[end - 1])) --end;
        const std::size_t from = std::min(outdent, indentOf(l));
        l = l.substr(from, end > from ? end - from : 0);
        bool joined = false;  // a \ at its end takes the line break away
        for (std::size_t j = 0; j < l.size();) {
            if (l[j] != u'\\') {
                out.Put(l[j++]);
            } else if (j + 1 == l.size() ||
                       (l.substr(j) == u"\\n\\" && j > 0 && StrippedAlone(l[j - 1]))) {
                // After white space javac would strip that has no escape of its own, \n\ is the
                // line break.
                if (j + 1 < l.size()) out.Break(false, true);
                joined = true;
                j = l.size();
            } else if (!JavaEscape(out, l, j)) {
                return false;
            }
        }
        if (k + 1 < lines.size() && !joined) out.Break(false, true);
    }
    return true;
}

// The escape at j of a text block's line: \s \" \' \\ \b \t \n \f \r, or octal.
template <class Out>
bool Parser::JavaEscape(Out& out, std::u16string_view l, std::size_t& j) {
    constexpr std::u16string_view kNamed = u"stbf\"'\\";
    constexpr std::u16string_view kMeant = u" \t\b\f\"'\\";
    const char16_t next = l[j + 1];
    if (next == u'n' || next == u'r') {
        EscapedBreak(out, next);
    } else if (kNamed.find(next) != kNone) {
        out.Put(kMeant[kNamed.find(next)]);
    } else if (next >= u'0' && next <= u'7') {
        // Up to three digits after 0-3, two after 4-7.
        const std::size_t end = std::min(l.size(), j + (next <= u'3' ? 4 : 3));
        unsigned value = 0;
        for (++j; j < end && l[j] >= u'0' && l[j] <= u'7'; ++j) value = value * 8 + (l[j] - u'0');
        out.Put(static_cast<char16_t>(value));
        return true;
    } else {
        return false;
    }
    j += 2;
    return true;
}

// A JavaScript template at i_: its escapes, a line break of the source (CR LF) as one line break,
// and each ${expr} as the value expr; a lone CR or LF is not read.
template <class Out>
bool Parser::Template(Out& out) {
    const std::size_t end = TemplateEnd(i_);
    if (end == kNone) return false;
    if (s_.substr(i_, end - i_).find(kCRLF) != kNone) sink_.keepEnds = true;
    for (std::size_t i = i_ + 1; i + 1 < end;) {
        const char16_t c = s_[i];
        if (s_.substr(i, 2) == kCRLF) {
            out.Break(false, true);
            i += 2;
        } else if (c == u'\r' || c == u'\n') {
            return false;
        } else if (c == u'$' && s_[i + 1] == u'{') {
            const std::size_t close = ExpressionEnd(i + 2);
            const std::u16string_view expression = Trim(s_.substr(i + 2, close - i - 2));
            if (expression.empty() || expression.find_first_of(u"\r\n") != kNone) return false;
            out.Value(expression);
            i = close + 1;
        } else if (c != u'\\') {
            out.Put(c);
            ++i;
        } else if (!TemplateEscape(out, i)) {
            return false;
        }
    }
    i_ = end;
    return true;
}

// The escape at i of a template: \` \\ \$ \{ \} \' \" \/, \b \t \n \v \f \r, \0, \xHH, \uXXXX,
// \u{X...}, and \ before a line break, which takes it away.
template <class Out>
bool Parser::TemplateEscape(Out& out, std::size_t& i) {
    constexpr std::u16string_view kSame = u"`\\${}'\"/";
    constexpr std::u16string_view kNamed = u"btvf";
    constexpr std::u16string_view kMeant = u"\b\t\v\f";
    const char16_t next = At(i + 1);
    std::size_t length = 2;
    std::optional<unsigned> code;
    if (s_.substr(i + 1, 2) == kCRLF) {
        length = 3;
    } else if (next == u'n' || next == u'r') {
        EscapedBreak(out, next);
    } else if (next != 0 && kSame.find(next) != kNone) {
        out.Put(next);
    } else if (next != 0 && kNamed.find(next) != kNone) {
        out.Put(kMeant[kNamed.find(next)]);
    } else if (next == u'0' && !IsDigit(At(i + 2))) {
        out.Put(u'\0');
    } else if (next == u'x' || (next == u'u' && At(i + 2) != u'{')) {
        length = next == u'x' ? 4 : 6;
        code = Hex(i + 2, length - 2);
    } else if (next == u'u') {
        const std::size_t close = s_.find(u'}', i + 3);
        if (close == kNone || close == i + 3) return false;
        length = close + 1 - i;
        code = close - (i + 3) <= 8 ? Hex(i + 3, close - (i + 3)) : std::nullopt;
        if (code && *code > 0x10FFFF) return false;
    } else {
        return false;
    }
    if ((next == u'x' || next == u'u') && !code) return false;
    if (code && *code > 0xFFFF) {
        out.Put(static_cast<char16_t>(0xD800 + ((*code - 0x10000) >> 10)));
        out.Put(static_cast<char16_t>(0xDC00 + (*code & 0x3FF)));
    } else if (code) {
        out.Put(static_cast<char16_t>(*code));
    }
    i += length;
    return true;
}

// A C++ raw string at i_: its content as it stands, a line break of the source (CR LF) as one
// line break; a lone CR or LF is not read.
template <class Out>
bool Parser::Raw(Out& out) {
    std::u16string close;
    const std::size_t from = RawOpen(s_, i_, &close);
    const std::size_t to = s_.find(close, from);
    if (to == kNone) return false;
    if (s_.substr(from, to - from).find(kCRLF) != kNone) sink_.keepEnds = true;
    for (std::size_t i = from; i < to; ++i) {
        if (s_.substr(i, 2) == kCRLF) {
            out.Break(false, true);
            ++i;
        } else if (s_[i] == u'\r' || s_[i] == u'\n') {
            return false;
        } else {
            out.Put(s_[i]);
        }
    }
    i_ = to + close.size();
    return true;
}

// String.join("", ...) of literals only, at i_: one after another.
template <class Out>
bool Parser::Joined(Out& out) {
    i_ += kJoin.size();
    java_ = true;
    SkipSpace();
    if (s_.substr(i_, 2) != u"\"\"") return false;
    i_ += 2;
    for (bool first = true;; first = false) {
        SkipSpace();
        if (Peek() == u')' && !first) {
            ++i_;
            return true;
        }
        if (Peek() != u',') return false;
        ++i_;
        SkipSpace();
        if (!OpensLiteral(i_) || !Literal(out)) return false;
    }
}

bool Parser::LineBreak() {
    SkipBlanks();
    if (s_.substr(i_, 2) != kCRLF) return false;
    i_ += 2;
    SkipBlanks();
    return true;
}

// [ and a line break, then one JSON string a line, with a , after each but the last, then ]:
// the strings as lines.
bool Parser::JsonArray() {
    ++i_;
    if (!LineBreak()) return false;
    for (bool more = Peek() != u']'; more;) {
        if (Peek() != u'"' || !JsonString()) return false;
        SkipBlanks();
        more = Peek() == u',';
        i_ += more;
        if (!LineBreak()) return false;
        if (more) sink_.Break(false, true);
    }
    if (Peek() != u']') return false;
    ++i_;
    return true;
}

// A JSON string at i_, by JSON's rules: no unit below U+0020 stands in it.
bool Parser::JsonString() {
    constexpr std::u16string_view kNamed = u"\"\\/btf";
    constexpr std::u16string_view kMeant = u"\"\\/\b\t\f";
    for (++i_; i_ < s_.size();) {
        const char16_t c = s_[i_];
        const char16_t next = At(i_ + 1);
        if (c == u'"') {
            ++i_;
            return true;
        }
        if (c < 0x20) return false;
        if (c != u'\\') {
            sink_.Put(c);
            ++i_;
        } else if (next == u'n' || next == u'r') {
            EscapedBreak(sink_, next);
            i_ += 2;
        } else if (next != 0 && kNamed.find(next) != kNone) {
            sink_.Put(kMeant[kNamed.find(next)]);
            i_ += 2;
        } else if (const auto unit = next == u'u' ? Hex(i_ + 2, 4) : std::nullopt) {
            sink_.Put(static_cast<char16_t>(*unit));
            i_ += 6;
        } else {
            return false;
        }
    }
    return false;
}

// One of the literal forms at i_, whole (see LiteralForm): where it ends.
std::optional<std::size_t> Parser::Form() {
    if (Peek() == u'[') return JsonArray() ? std::optional(i_) : std::nullopt;
    if (s_.substr(i_).starts_with(kJoin)) return Joined(sink_) ? std::optional(i_) : std::nullopt;
    const bool raw = RawOpen(s_, i_, nullptr) != kNone;
    if (!(raw || Peek() == u'`' || TextBlockOpens(s_, i_)) || !Literal(sink_)) return std::nullopt;
    // C++'s adjacent literals: the raw string's pieces, "\r" and "\0" between them.
    for (std::size_t end = i_; raw; end = i_) {
        SkipSpace();
        if (!(RawOpen(s_, i_, nullptr) != kNone || (Peek() == u'"' && !TextBlockOpens(s_, i_)))) {
            i_ = end;
            break;
        }
        if (!Literal(sink_)) return std::nullopt;
    }
    return i_;
}

// A quote at i led by a prefix that makes another kind of literal: L"", u8"", R"", f"", b"", @"",
// $"".
bool Parser::OtherLiteral(std::size_t i) const {
    std::size_t start = i;
    while (start > 0 && IsNameChar(s_[start - 1])) --start;
    if (start < i && s_[start] == u'$') return true;
    const std::u16string_view word = s_.substr(start, i - start);
    const bool prefix =
        !word.empty() && word.size() <= 3 && word.find_first_not_of(u"LuUR8fFrRbB") == kNone;
    return prefix || (i > 0 && (s_[i - 1] == u'@' || s_[i - 1] == u'$'));
}

// After the literal opening at i (at the " of a raw string's R"), or kNone when it does not close.
std::size_t Parser::SkipLiteral(std::size_t i) const {
    std::u16string close;
    if (Spans() && i > 0 && RawOpen(s_, i - 1, &close) != kNone) {
        const std::size_t at = s_.find(close, i);
        return at == kNone ? kNone : at + close.size();
    }
    if (Spans() && s_[i] == u'`') return TemplateEnd(i);
    if (Spans() && TextBlockOpens(s_, i)) {
        for (std::size_t k = i + 3; k < s_.size(); ++k) {
            if (s_[k] == u'\\') {
                ++k;
            } else if (s_.substr(k, 3) == kTextBlock) {
                return k + 3;
            }
        }
        return kNone;
    }
    const char16_t quote = s_[i];
    for (++i; i < s_.size(); ++i) {
        if (C() && s_[i] == u'\\') {
            ++i;
        } else if (s_[i] == quote) {
            if (!(VB() && At(i + 1) == quote)) return i + 1;
            ++i;
        }
    }
    return kNone;
}

// After the template opening at i, its ${ }s skipped whole, or kNone when it does not close or
// nests templates deeper than kNesting (so that no text runs the stack out).
std::size_t Parser::TemplateEnd(std::size_t i) const {
    constexpr int kNesting = 64;
    if (nesting_ == kNesting) return kNone;
    ++nesting_;
    for (++i; i < s_.size(); ++i) {
        if (s_[i] == u'\\') {
            ++i;
        } else if (s_[i] == u'`') {
            break;
        } else if (s_.substr(i, 2) == u"${") {
            i = ExpressionEnd(i + 2);
            if (i == kNone) break;
        }
    }
    --nesting_;
    return i < s_.size() ? i + 1 : kNone;
}

// The } that ends the expression starting at i inside a ${, its braces and literals skipped
// whole; kNone when there is none.
std::size_t Parser::ExpressionEnd(std::size_t i) const {
    for (int braces = 0; i < s_.size();) {
        const char16_t c = s_[i];
        if (IsQuote(c)) {
            i = SkipLiteral(i);
            if (i == kNone) return kNone;
            continue;
        }
        if (c == u'}' && braces-- == 0) return i;
        if (c == u'{') ++braces;
        ++i;
    }
    return kNone;
}

// After the brackets opening at i, their literals and inner brackets skipped whole; kNone when
// they do not close.
std::size_t Parser::SkipBrackets(std::size_t i) const {
    int depth = 0;
    while (i < s_.size()) {
        const char16_t c = s_[i];
        if (IsQuote(c)) {
            i = SkipLiteral(i);
            if (i == kNone) return kNone;
            continue;
        }
        if (c == u'`') return kNone;
        if (c == u'(' || c == u'[' || c == u'{') ++depth;
        if ((c == u')' || c == u']' || c == u'}') && --depth == 0) return i + 1;
        ++i;
    }
    return kNone;
}

// After the term at i: a name, $name or number with what follows it (.name, ->name, ::name,
// ?.name, calls and indexes), or brackets; kNone when there is none.
std::size_t Parser::TermEnd(std::size_t i) const {
    // Prefix operators and keywords: !x, -1, new Date(), Not x.
    for (;;) {
        if (At(i) == u'!' || (At(i) == u'-' && (VB() || IsDigit(At(i + 1))))) {
            ++i;
        } else if (WordAt(i, u"new") || (VB() && WordAt(i, u"not"))) {
            i += 4;
            while (IsBlank(At(i))) ++i;
        } else {
            break;
        }
    }
    if (At(i) == u'(') {
        i = SkipBrackets(i);
        // A cast before a term: (int)strlen(s), (String) x.
        std::size_t after = i;
        while (after != kNone && IsBlank(At(after))) ++after;
        if (C() && after != kNone && (IsNameStart(At(after)) || At(after) == u'(')) return TermEnd(after);
    } else if (IsDigit(At(i))) {
        while (IsNameChar(At(i)) || (At(i) == u'.' && IsDigit(At(i + 1)))) ++i;
    } else {
        i = NameEnd(i);
    }
    while (i != kNone && i < s_.size()) {
        const char16_t c = s_[i];
        const char16_t next = At(i + 1);
        if (c == u'(' || c == u'[') {
            i = SkipBrackets(i);
        } else if (c == u'.' && !d_.php && IsNameStart(next)) {
            i = NameEnd(i + 1);
        } else if ((c == u'-' && next == u'>') || (c == u':' && next == u':') ||
                   (c == u'?' && next == u'.')) {
            i = NameEnd(i + 2);
        } else {
            break;
        }
    }
    return i;
}

// After the value at i: terms with the operators that bind tighter than the join between them;
// kNone when it does not parse.
std::size_t Parser::ValueEnd(std::size_t i) const {
    for (;;) {
        i = TermEnd(i);
        if (i == kNone) return kNone;
        std::size_t op = i;
        while (IsBlank(At(op))) ++op;
        const char16_t c = At(op);
        const char16_t next = At(op + 1);
        std::size_t length = 0;
        if ((c == u'*' || c == u'/') && next != u'/' && next != u'*' && next != u'=') length = 1;
        if (C() && !d_.php && c == u'%' && next != u'>' && next != u'=') length = 1;
        if (VB() && ((c == u'+' && !vbPlus_) || c == u'-' || c == u'\\' || c == u'^')) length = 1;
        if (VB() && WordAt(op, u"mod") && op > i) length = 3;
        if (length == 0) return i;
        i = op + length;
        while (IsBlank(At(i))) ++i;
    }
}

// The join at i_: + for C and Java, . for PHP, & for VB (+ too in VB.NET's way); 0 when none.
std::size_t Parser::JoinLength() const {
    const char16_t c = Peek();
    const char16_t next = At(i_ + 1);
    if (next == u'=' || next == c) return 0;
    if (VB()) return c == u'&' || (vbPlus_ && c == u'+') ? 1 : 0;
    if (!C()) return 0;
    return c == (d_.php ? u'.' : u'+') ? 1 : 0;
}

// Literals and values joined, into the sink, up to the first thing that is neither. A value
// joined first that is the accumulator (s = s & "...") is not read. Where + also adds numbers,
// the values before the first literal are one value (a + b + "x" prints the sum). False when a
// part does not parse or nothing is built.
bool Parser::Chain(bool commas, std::u16string_view accumulator, Built& built) {
    const bool plus = (C() && !d_.php) || vbPlus_;
    std::size_t operands = 0;
    std::size_t pending = kNone, pendingEnd = 0;  // the values before a literal, where + adds
    bool afterLiteral = false, literalInArgument = false;
    const auto flush = [&] {
        if (pending != kNone)
            PutValue(d_.mode, Trim(s_.substr(pending, pendingEnd - pending)), sink_);
        pending = kNone;
    };
    for (;;) {
        SkipBlanks();
        const bool joined = Spans() && s_.substr(i_).starts_with(kJoin);
        if (OpensLiteral(i_) || joined) {
            flush();
            if (!(joined ? Joined(sink_) : Literal(sink_))) return false;
            built.literal = afterLiteral = literalInArgument = true;
            // "abc".length() is a value made of a literal.
            if (Peek() == u'.' && !d_.php) return false;
        } else {
            const std::size_t end = ValueEnd(i_);
            if (end == kNone) return false;
            const std::u16string_view value = Trim(s_.substr(i_, end - i_));
            if (value.find(u'\r') != kNone) return false;  // one holding a literal of lines
            if (operands == 0 && !accumulator.empty() &&
                (VB() ? IsName(value, accumulator) : value == accumulator)) {
                built.accumulated = true;
            } else if (plus && !literalInArgument && !built.accumulated) {
                if (pending == kNone) pending = i_;
                pendingEnd = end;
            } else {
                PutValue(d_.mode, value, sink_);
            }
            i_ = end;
            afterLiteral = false;
        }
        ++operands;
        SkipBlanks();
        if (const std::size_t join = JoinLength()) {
            i_ += join;
        } else if (commas && Peek() == u',') {
            ++i_;
            flush();
            afterLiteral = literalInArgument = false;
        } else if (!(afterLiteral && Spans() &&
                     (Peek() == u'"' || RawOpen(s_, i_, nullptr) != kNone))) {
            break;  // else C's adjacent literals: "a" "b", R"(a)" "b"
        }
    }
    flush();
    return !(built.accumulated && operands == 1);
}

// Whether the brackets from open to after hold a , of their own.
bool Parser::HasComma(std::size_t open, std::size_t after) const {
    for (std::size_t i = open + 1; i + 1 < after;) {
        const char16_t c = s_[i];
        if (IsQuote(c)) {
            i = SkipLiteral(i);
        } else if (c == u'(' || c == u'[' || c == u'{') {
            i = SkipBrackets(i);
        } else {
            if (c == u',') return true;
            ++i;
        }
        if (i == kNone) return false;
    }
    return false;
}

// A format call's format and arguments, from the first argument up to its ): printf's %s, %d,
// %i, %u and %c (l, h, z allowed) take the arguments in order, %% is %, Java's %n a line break;
// .NET's {0} takes argument 0, {{ and }} are braces. Anything else in the format, or an argument
// left unused, and the call is not read.
bool Parser::Format(std::u16string_view name, bool braces) {
    if (IsName(name, u"fprintf")) {  // the stream first
        const std::size_t end = ValueEnd(i_);
        if (end == kNone) return false;
        i_ = end;
        SkipBlanks();
        if (Peek() != u',') return false;
        ++i_;
        SkipBlanks();
    }
    Collected format;
    while (OpensLiteral(i_)) {
        if (!Literal(format) || format.hasValue) return false;
        SkipBlanks();
    }
    std::vector<std::u16string_view> arguments;
    while (Peek() == u',') {
        ++i_;
        SkipBlanks();
        const std::size_t end = ValueEnd(i_);
        if (end == kNone) return false;
        arguments.push_back(Trim(s_.substr(i_, end - i_)));
        if (arguments.back().find(u'\r') != kNone) return false;
        i_ = end;
        SkipBlanks();
    }
    std::vector<bool> used(arguments.size());
    const auto& items = format.items;
    const auto unit = [&items](std::size_t k) {
        return k < items.size() && !items[k].isBreak ? items[k].c : u'\0';
    };
    for (std::size_t k = 0; k < items.size(); ++k) {
        const char16_t c = unit(k);
        if (items[k].isBreak) {
            sink_.Break(items[k].cr, items[k].lf);
        } else if (braces && (c == u'{' || c == u'}')) {
            if (unit(k + 1) == c) {
                sink_.Put(c);
                ++k;
                continue;
            }
            std::size_t at = k + 1, index = 0;
            for (; IsDigit(unit(at)) && at < k + 4; ++at) index = index * 10 + (unit(at) - u'0');
            if (c == u'}' || at == k + 1 || unit(at) != u'}' || index >= arguments.size())
                return false;
            sink_.Value(arguments[index]);
            used[index] = true;
            k = at;
        } else if (!braces && c == u'%') {
            std::size_t at = k + 1;
            while (std::u16string_view(u"lhz").find(unit(at)) != kNone && unit(at)) ++at;
            const char16_t conversion = unit(at);
            const std::size_t next =
                static_cast<std::size_t>(std::count(used.begin(), used.end(), true));
            if ((conversion == u'%' || conversion == u'n') && at == k + 1) {
                if (conversion == u'%') sink_.Put(u'%');
                if (conversion == u'n') sink_.Break(false, true);
            } else if (conversion && std::u16string_view(u"sdiuc").find(conversion) != kNone &&
                       next < arguments.size()) {
                sink_.Value(arguments[next]);
                used[next] = true;
            } else {
                return false;
            }
            k = at;
        } else {
            sink_.Put(c);
        }
    }
    return !items.empty() && std::find(used.begin(), used.end(), false) == used.end();
}

// What may follow a statement: ; (C and Java), a comment, the end.
bool Parser::Tail() {
    SkipBlanks();
    if (C() && Peek() == u';') ++i_;
    SkipBlanks();
    const std::u16string_view rest = s_.substr(i_);
    if (rest.empty()) return true;
    if (C()) {
        if (rest.starts_with(u"//") || (d_.php && rest.starts_with(u"#"))) return true;
        return rest.starts_with(u"/*") && rest.find(u"*/") == rest.size() - 2;
    }
    return VB() &&
           (rest.starts_with(u"'") || IsName(rest.substr(0, 4), u"rem ") || IsName(rest, u"rem"));
}

// PHP's echo and print without brackets (the length of the word, or 0): echo takes a list.
std::size_t Parser::EchoWord() const {
    if (!C()) return 0;
    for (const std::u16string_view word : {u"echo", u"print"}) {
        if (!IsName(s_.substr(0, word.size()), word)) continue;
        const char16_t after = At(word.size());
        if (!IsBlank(after) && !IsQuote(after)) continue;
        std::size_t i = word.size();
        while (IsBlank(At(i))) ++i;
        if (At(i) == u'(' && word == u"print") return 0;  // print(...), a call
        return word.size();
    }
    return 0;
}

// Words that declare the name after them: var s = "...", final String s = "...", Dim s = "...";
// and C++'s types (typed), a * or & after them: const char* page = ..., auto page = ...,
// std::string page = ..., char page[] PROGMEM = ... (Arduino's flash memory).
bool Parser::SkipDeclaration(bool& typed) {
    static constexpr std::u16string_view kCpp[] = {u"auto", u"constexpr", u"char", u"std::string",
                                                   u"PROGMEM"};
    static constexpr std::u16string_view kC[] = {
        u"var",    u"let",    u"const", u"final", u"static", u"private", u"public", u"protected",
        u"String", u"string", kCpp[0],  kCpp[1],  kCpp[2],   kCpp[3],    kCpp[4]};
    static constexpr std::u16string_view kVB[] = {u"dim", u"const", u"private", u"public",
                                                  u"static"};
    const std::span<const std::u16string_view> words =
        C() ? std::span<const std::u16string_view>(kC) : std::span<const std::u16string_view>(kVB);
    bool declared = false;
    for (bool found = true; found;) {
        found = false;
        for (const std::u16string_view word : words) {
            const bool type = C() && std::ranges::find(kCpp, word) != std::end(kCpp);
            const char16_t after = At(i_ + word.size());
            const bool pointer = type && (after == u'*' || after == u'&');
            if (!(WordAt(i_, word) || pointer) || (C() && s_.substr(i_, word.size()) != word))
                continue;
            std::size_t name = i_ + word.size();
            while (IsBlank(At(name)) || (type && (At(name) == u'*' || At(name) == u'&'))) ++name;
            if (!IsNameStart(At(name))) continue;  // string += "...": string is the name
            i_ = name;
            found = declared = true;
            typed = typed || type;
            java_ = java_ || word == u"String" || word == u"final";
        }
    }
    return declared;
}

// The callee or the target at i_: names with what follows them, and the output calls it ends
// with (sb.append("a").append(x) appends twice).
bool Parser::ReadPath(Path& path) const {
    std::size_t i = NameEnd(At(i_) == u'.' && VB() ? i_ + 1 : i_);  // .Append( in a With block
    std::u16string_view last = i == kNone ? std::u16string_view() : s_.substr(i_, i - i_);
    if (!last.empty() && last.front() == u'.') last.remove_prefix(1);
    while (i != kNone && i < s_.size()) {
        const char16_t c = s_[i];
        const char16_t next = At(i + 1);
        if (c == u'(' || c == u'[') {
            const std::size_t after = SkipBrackets(i);
            const bool output = c == u'(' && (IsOutputName(last) || IsFormatName(last));
            // After its first output call, a chain is output calls only.
            if (output) path.calls.push_back({i, after, last});
            if (!output && !path.calls.empty()) path.bad = true;
            path.plain = false;
            if (c == u'[') last = {};
            i = after;
        } else if ((c == u'.' && !d_.php && IsNameStart(next)) || (c == u'-' && next == u'>') ||
                   (c == u':' && next == u':')) {
            const std::size_t name = i + (c == u'.' ? 1 : 2);
            i = NameEnd(name);
            last = i == kNone ? std::u16string_view() : s_.substr(name, i - name);
        } else if (IsBlank(c) && C()) {
            // A chain continued on the next line (sb.append("a")\n    .append(x)), and C's
            // printf ("...").
            std::size_t next = i;
            while (IsBlank(At(next))) ++next;
            const bool chained = !d_.php && At(next) == u'.' && IsNameStart(At(next + 1));
            const bool call = At(next) == u'(' && (IsOutputName(last) || IsFormatName(last));
            if (!chained && !call) break;
            i = next;
        } else {
            break;
        }
    }
    path.end = i;
    path.last = last;
    return i != kNone && !last.empty();
}

// The output calls a path ends with, each one's arguments in turn, then the tail.
bool Parser::OutputCalls(const Path& path, std::size_t start) {
    if (path.bad || path.calls.back().after != path.end) return false;
    Built built;
    for (const Call& call : path.calls) {
        java_ = java_ || (call.name[0] >= u'a' && call.name[0] <= u'z');
        i_ = call.open + 1;
        SkipBlanks();
        const std::u16string_view callee = s_.substr(start, call.open - start);
        const bool list = path.calls.size() == 1 && (IsName(callee, u"document.write") ||
                                                     IsName(callee, u"document.writeln"));
        // .NET's Write and WriteLine take a format when more than one argument follows.
        const bool braces =
            IsName(call.name, u"appendformat") ||
            (!list && (IsName(call.name, u"write") || IsName(call.name, u"writeline")) &&
             HasComma(call.open, call.after));
        if (Peek() == u')') {
            if (!IsLineName(call.name) || path.calls.size() > 1) return false;
        } else if (IsFormatName(call.name) || braces) {
            if (!Format(call.name, braces)) return false;
        } else if (!Chain(list, {}, built)) {
            return false;
        }
        if (i_ != call.after - 1) return false;
    }
    i_ = path.end;
    return Tail();
}

// An assignment or an append to the target: false when there is none (no = after it) or it does
// not read.
bool Parser::Assignment(std::u16string_view target) {
    SkipBlanks();
    const char16_t c = Peek();
    const char16_t next = At(i_ + 1);
    std::size_t op = 0;
    if (c == u'=' && next != u'=' && next != u'>') {
        op = 1;
    } else if (next == u'=' && ((c == u'+' && !d_.php && d_.mode != kEscapeNone) ||
                                (c == u'&' && VB()) || (c == u'.' && d_.php))) {
        op = 2;
    }
    if (op == 0) return false;
    i_ += op;
    const std::size_t value = i_;
    Built built;
    if (!Chain(false, op == 1 ? target : std::u16string_view(), built)) return false;
    SkipBlanks();
    const bool semicolon = C() && Peek() == u';';
    if (!Tail()) return false;
    // + adds numbers too: a page is built only where a literal is joined. VB's & and PHP's . join
    // text alone, so a value appended to the name builds one too.
    const bool joinsText = (VB() && !vbPlus_) || d_.php;
    const bool appends = op == 2 || built.accumulated;
    if (!built.literal && !(joinsText && appends)) return false;
    // s = "" starts a text afresh and puts nothing into it: code.
    if (!appends && !sink_.started && sink_.breaks == 0) return false;
    appends_ = appends;
    if (!appends) fresh_ = Fresh(value, semicolon);
    return true;
}

// The assignment up to its value, with an empty literal for the value.
std::u16string Parser::Fresh(std::size_t value, bool semicolon) const {
    std::u16string fresh(s_.substr(0, value));
    fresh += u" \"\"";
    if (semicolon) fresh += u';';
    return fresh;
}

// What a statement builds, as a key: an output call's receiver (out, sb, Response, "" for
// printf or echo), or the name an assignment builds. VB's names are the same in any case; blanks
// and line breaks are left out, so that a receiver whose call goes on on the next line is the same.
std::u16string Parser::Target(std::u16string_view prefix, std::u16string_view name) const {
    std::u16string key(prefix);
    for (const char16_t c : name)
        if (!IsBlank(c) && c != u'\r' && c != u'\n')
            key += VB() && c >= u'A' && c <= u'Z' ? c + (u'a' - u'A') : c;
    while (key.size() > prefix.size() &&
           (key.back() == u'.' || key.back() == u'>' || key.back() == u'-' || key.back() == u':'))
        key.pop_back();
    return key;
}

std::optional<Reading> Parser::Statement() {
    if (const std::size_t word = EchoWord()) {  // echo "...", $x;
        i_ = word;
        Built built;
        if (!Chain(IsName(s_.substr(0, word), u"echo"), {}, built) || !Tail()) return std::nullopt;
        return Reading{{}, 0, false, Target(u"call:", {})};
    }
    const bool call = VB() && WordAt(0, u"call");
    i_ = call ? 5 : 0;
    SkipBlanks();
    bool typed = false;  // by C++'s types, whose + adds to a pointer: literals only
    const bool declared = !call && SkipDeclaration(typed);
    const std::size_t start = i_;
    // An array of characters: char page[] PROGMEM = "...".
    const std::size_t name = NameEnd(start);
    if (typed && name != kNone && At(name) == u'[') {
        i_ = SkipBrackets(name);
        if (i_ == kNone) return std::nullopt;
        SkipBlanks();
        if (WordAt(i_, u"PROGMEM")) i_ += 7;
        const std::u16string_view target = s_.substr(start, name - start);
        if (!Assignment(target) || sink_.values > 0) return std::nullopt;
        return Reading{{}, 0, false, Target(u"set:", target)};
    }
    Path path;
    if (!ReadPath(path)) return std::nullopt;
    const auto receiver = [&](std::u16string_view name) {
        return Target(u"call:", s_.substr(start, name.data() - s_.data() - start));
    };
    if (!path.calls.empty() && !declared) {
        if (!OutputCalls(path, start)) return std::nullopt;
        return Reading{{}, 0, false, receiver(path.calls.front().name)};
    }
    if (!path.plain || call) return std::nullopt;
    i_ = path.end;
    if (VB() && declared) {  // As Type
        SkipBlanks();
        if (WordAt(i_, u"as")) {
            i_ += 3;
            SkipBlanks();
            i_ = NameEnd(i_);
            if (i_ == kNone) return std::nullopt;
        }
    }
    const std::size_t afterTarget = i_;
    const std::u16string_view target = s_.substr(start, path.end - start);
    if (Assignment(target)) {
        if (typed && sink_.values > 0) return std::nullopt;
        return Reading{{}, 0, false, Target(u"set:", target)};
    }
    // VB's commands: Response.Write "...".
    i_ = afterTarget;
    if (VB() && !declared && IsOutputName(path.last) && (IsBlank(Peek()) || Peek() == u'"')) {
        Built built;
        if (!Chain(false, {}, built) || !Tail()) return std::nullopt;
        return Reading{{}, 0, false, receiver(path.last)};
    }
    return std::nullopt;
}

}  // namespace

void Sink::Put(char16_t c) {
    Flush();
    if (out) out->push_back(c);
}

void Sink::Flush() {
    if (!started && dropLeading && !keepEnds && breaks > 0) {
        lineEnd = true;
        --breaks;
    }
    for (; breaks > 0; --breaks) {
        if (out) out->append(u"\r\n");
    }
    afterCR = false;
    started = true;
}

void Sink::Break(bool cr, bool lf) {
    if (!(lf && afterCR)) ++breaks;
    afterCR = cr && !lf;
}

void Sink::Value(std::u16string_view v) {
    Flush();
    if (out) out->append(php ? u"<?= " : u"<%= ").append(v).append(php ? u" ?>" : u" %>");
    ++values;
}

void Sink::End() {
    if (breaks > 0 && !keepEnds) {  // the line's own end
        --breaks;
        lineEnd = true;
    }
    if (breaks > 0 || started) Flush();
}

bool IsName(std::u16string_view v, std::u16string_view name) {
    const auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? c + (u'a' - u'A') : c; };
    return std::equal(v.begin(), v.end(), name.begin(), name.end(),
                      [&](char16_t a, char16_t b) { return lower(a) == lower(b); });
}

std::optional<std::pair<bool, bool>> LineBreakName(std::u16string_view v) {
    if (IsName(v, u"vbCrLf") || IsName(v, u"vbNewLine")) return std::pair(true, true);
    if (IsName(v, u"vbLf") || IsName(v, u"Chr(10)")) return std::pair(false, true);
    if (IsName(v, u"vbCr") || IsName(v, u"Chr(13)")) return std::pair(true, false);
    return std::nullopt;
}

void PutValue(EscapeMode mode, std::u16string_view v, Sink& sink) {
    if (mode == kEscapeQuoteDoubling) {
        if (const auto crlf = LineBreakName(v)) return sink.Break(crlf->first, crlf->second);
        if (IsName(v, u"vbTab")) return sink.Put(u'\t');
        if (IsName(v, u"Chr(34)")) return sink.Put(u'"');
    }
    sink.Value(v);
}

bool LooksLikePhp(std::u16string_view line) {
    line = Trim(line);
    const auto word = [line](std::u16string_view w) {
        return line.starts_with(w) && line.size() > w.size() &&
               (IsBlank(line[w.size()]) || line[w.size()] == u'"' || line[w.size()] == u'\'');
    };
    if (line.starts_with(u"<?php") || word(u"echo") || word(u"print")) return true;
    if (line.size() < 2 || line[0] != u'$' || !IsNameStart(line[1]) || line[1] == u'$')
        return false;
    std::size_t i = 1;
    while (i < line.size() && IsNameChar(line[i])) ++i;
    while (i < line.size() && IsBlank(line[i])) ++i;
    const std::u16string_view rest = line.substr(i);
    return rest.starts_with(u".=") || rest.starts_with(u"=") || rest.starts_with(u"->") ||
           rest.starts_with(u"[");
}

std::optional<Reading> Read(const Dialect& dialect, std::u16string_view statement) {
    statement = Trim(statement);
    for (const bool vbPlus : {false, true}) {
        if (vbPlus && dialect.mode != kEscapeQuoteDoubling) break;
        std::u16string text;
        Sink sink{&text, dialect.php};
        sink.dropLeading = true;
        Parser parser(dialect, statement, sink, vbPlus);
        std::optional<Reading> r = parser.Statement();
        if (!r || parser.MaybeCSharp()) continue;
        sink.End();
        r->text = std::move(text);
        r->values = sink.values;
        r->lineEnd = sink.lineEnd;
        r->whole = sink.keepEnds;
        r->appends = parser.Appends();
        r->fresh = parser.TakeFresh();
        return r;
    }
    return std::nullopt;
}

std::optional<Reading> HeadReading(const Dialect& dialect, std::u16string_view head) {
    head = Trim(head);
    if (head.empty() || !(head.ends_with(u'"') || head.ends_with(u'\''))) return std::nullopt;
    const std::u16string quote(1, head.back());
    for (const std::u16string_view close : {u"x", u"x)"}) {
        const std::u16string statement = std::u16string(head) + std::u16string(close.substr(0, 1)) +
                                         quote + std::u16string(close.substr(1));
        if (auto r = Read(dialect, statement)) return r;
    }
    return std::nullopt;
}

bool Carry(const Dialect& dialect, std::u16string_view line, Spanning& open) {
    return Walk(dialect, line, open).lastLiteral == u'R' && open.empty();
}

bool JoinsRaw(std::u16string_view s) {
    s = Trim(s);
    return s.starts_with(u'"') || RawOpen(s, 0, nullptr) != kNone;
}

bool StartsLiteral(std::u16string_view s) {
    return s.starts_with(u'`') || TextBlockOpens(s, 0) || RawOpen(s, 0, nullptr) != kNone ||
           s.starts_with(kJoin);
}

bool EndsInCode(std::u16string_view code) {
    Spanning open;
    const Walked w = Walk({kEscapeBackslash, false}, code, open);
    return open.empty() && !w.broken && w.codeEnd == code.size();
}

bool TagsTemplate(std::u16string_view code) {
    code = Trim(code);
    std::size_t word = code.size();
    while (word > 0 && IsNameChar(code[word - 1])) --word;
    for (const std::u16string_view keyword :
         {u"return", u"throw", u"yield", u"await", u"typeof", u"case", u"else"}) {
        if (code.substr(word) == keyword && (word == 0 || code[word - 1] != u'.')) return false;
    }
    return !code.empty() && (word < code.size() || code.back() == u')' || code.back() == u']');
}

bool Continues(const Dialect& dialect, std::u16string_view line, std::u16string_view next,
               Spanning& open) {
    next = Trim(next);
    if (dialect.mode == kEscapeQuoteDoubling) {
        // VB's continuation, outside a comment: " _" at the end.
        line = Trim(line);
        return line == u"_" ||
               (line.ends_with(u"_") && IsBlank(line[line.size() - 2]) && !line.starts_with(u"'"));
    }
    if (dialect.mode != kEscapeBackslash) return false;
    const Walked w = Walk(dialect, line, open);
    open.depth = std::max(0, open.depth + w.depth);
    if (!open.empty()) return true;
    if (w.broken) return false;  // a literal left open: not read
    const std::u16string_view code = Trim(line.substr(w.codeFrom, w.codeEnd - w.codeFrom));
    // A statement ended, or a block opened (a callback's function { ... }), whose statements are
    // statements of their own: no bracket goes on.
    if (code.ends_with(u';') || code.ends_with(u'{')) open.depth = 0;
    if (open.depth > 0) return true;
    const char16_t join = dialect.php ? u'.' : u'+';
    if (code.size() >= 2 && code.back() == join && code[code.size() - 2] != join) return true;
    if (code.ends_with(u',') || code.ends_with(u'(') || code.ends_with(u'=')) return true;
    // A join, or a method chained, at the next line's start.
    if (next.size() >= 2 && next[0] == join && next[1] != join && next[1] != u'=') return true;
    // C++'s adjacent literals: a raw string's next piece.
    if ((w.lastLiteral && RawOpen(next, 0, nullptr) != kNone) ||
        (w.lastLiteral == u'R' && JoinsRaw(next)))
        return true;
    return !dialect.php && next.size() >= 2 && next[0] == u'.' && IsNameStart(next[1]);
}

Comment CommentOf(const Dialect& dialect, std::u16string_view line) {
    line = Trim(line);
    if (dialect.mode == kEscapeQuoteDoubling) {
        return line.starts_with(u"'") || IsName(line.substr(0, 4), u"rem ") || IsName(line, u"rem")
                   ? Comment::Line
                   : Comment::None;
    }
    if (line.starts_with(u"/*"))
        return line.find(u"*/", 2) == kNone ? Comment::Opens : Comment::Line;
    const bool comment = line.starts_with(u"//") || line.starts_with(u"#") ||
                         line.starts_with(u"*") || line.starts_with(u"<%--");
    return comment ? Comment::Line : Comment::None;
}

std::optional<std::size_t> LiteralForm(std::u16string_view s, std::u16string* out,
                                       std::size_t* values) {
    const Dialect c{kEscapeBackslash, false};
    Sink sink{out};
    sink.keepEnds = true;
    const std::optional<std::size_t> end = Parser(c, s, sink, false, true).Form();
    if (!end) return std::nullopt;
    sink.End();
    if (values) *values += sink.values;
    return end;
}

}  // namespace modConvert::statement
