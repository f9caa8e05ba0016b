#include "engine/modVariant.h"

#include <algorithm>

#include "engine/Line.h"

namespace modConvert {
namespace {

using line::kCRLF;
using line::kVbTab;
using line::Width;

// The sinks of the two passes: the first only counts what the second writes, so that the result
// is allocated once. Both keep the width of the line so far, for the filler.
struct Counter {
    std::size_t size = 0;
    std::int64_t width = 0;
    void Put(char16_t c) {
        ++size;
        width += Width(c);
    }
    void PutAscii(std::u16string_view s) {
        size += s.size();
        width += static_cast<std::int64_t>(s.size());
    }
    void Put(std::u16string_view s) {
        size += s.size();
        width += AnsiByteLength(s);
    }
    void PutSpaces(std::size_t n) {
        size += n;
        width += static_cast<std::int64_t>(n);
    }
};

struct Writer {
    char16_t* o;
    std::int64_t width = 0;
    void Put(char16_t c) {
        *o++ = c;
        width += Width(c);
    }
    void PutAscii(std::u16string_view s) {
        o = std::copy(s.begin(), s.end(), o);
        width += static_cast<std::int64_t>(s.size());
    }
    void Put(std::u16string_view s) {
        o = std::copy(s.begin(), s.end(), o);
        width += AnsiByteLength(s);
    }
    void PutSpaces(std::size_t n) {
        o = std::fill_n(o, n, u' ');
        width += static_cast<std::int64_t>(n);
    }
};

enum class Form {
    kNone,
    kBackslash,
    kQuoteDoubling,
    kUnicode,
    kApostrophes,
    kCTabs,
    kVbTabs,
    kCJoins,
    kVbJoins
};

Form ToForm(Variant v, EscapeMode mode) {
    const Form plain = mode == kEscapeBackslash       ? Form::kBackslash
                       : mode == kEscapeQuoteDoubling ? Form::kQuoteDoubling
                                                      : Form::kNone;
    switch (v) {
        case Variant::UnicodeEscapes:
            return Form::kUnicode;
        case Variant::Apostrophes:
            return Form::kApostrophes;
        case Variant::Tabs:
            return plain == Form::kBackslash       ? Form::kCTabs
                   : plain == Form::kQuoteDoubling ? Form::kVbTabs
                                                   : Form::kNone;
        case Variant::Joins:
            return plain == Form::kBackslash       ? Form::kCJoins
                   : plain == Form::kQuoteDoubling ? Form::kVbJoins
                                                   : Form::kNone;
    }
    return plain;
}

template <typename Sink>
void PutHex(Sink& out, char16_t c) {
    const auto units = line::UnicodeEscape(c);
    out.PutAscii({units.data(), units.size()});
}

// The option whose marks a form puts before the units it writes its own way.
EscapeMode MarksOf(Form form) {
    switch (form) {
        case Form::kBackslash:
        case Form::kUnicode:
        case Form::kCTabs:
        case Form::kCJoins:
            return kEscapeBackslash;
        case Form::kQuoteDoubling:
        case Form::kVbTabs:
        case Form::kVbJoins:
            return kEscapeQuoteDoubling;
        case Form::kNone:
        case Form::kApostrophes:
            break;
    }
    return kEscapeNone;
}

template <typename Sink>
void PutUnit(Sink& out, Form form, char16_t c) {
    if (const char16_t mark = line::MarkBefore(MarksOf(form), c)) {
        const char16_t marked[] = {mark, c};
        return out.PutAscii({marked, 2});
    }
    // Single-quoted literals (JavaScript, PHP, Python, Ruby) read only \\ and \'; PHP would
    // print a \" as it stands.
    if (form == Form::kApostrophes && (c == u'\\' || c == u'\''))
        return out.PutAscii(c == u'\'' ? u"\\'" : u"\\\\");
    if (form == Form::kUnicode && c > 0x7E) return PutHex(out, c);
    if (form == Form::kCTabs && c == u'\t') return out.PutAscii(u"\\t");
    if (form == Form::kVbTabs && c == u'\t') return out.PutAscii(kVbTab);
    out.Put(c);
}

// The first close (%> or ?>) from a position on in a line, remembered, so that a line of many
// unclosed <%= is searched once.
class CloseFinder {
  public:
    CloseFinder(std::u16string_view line, std::u16string_view close) : line_(line), close_(close) {}
    // at never goes back: each search starts past the last close found.
    std::size_t From(std::size_t at) {
        if (!searched_ || (found_ != line_.npos && found_ < at)) found_ = line_.find(close_, at);
        searched_ = true;
        return found_;
    }

  private:
    std::u16string_view line_, close_;
    bool searched_ = false;
    std::size_t found_ = 0;
};

// A <%= expression %> (with C/Java also PHP's <?= expression ?>) at i in line: its length, its
// expression trimmed, and the join it is written with.
struct Join {
    std::size_t length = 0;
    std::u16string_view expression;
    std::u16string_view op;
};

Join JoinAt(Form form, std::u16string_view line, std::size_t i, CloseFinder& jsp,
            CloseFinder& php) {
    const std::u16string_view s = line.substr(i);
    const bool isPhp = form == Form::kCJoins && s.starts_with(u"<?=");
    if (!isPhp && !s.starts_with(u"<%=")) return {};
    const std::size_t close = (isPhp ? php : jsp).From(i + 3);
    if (close == line.npos) return {};
    std::u16string_view expression = line.substr(i + 3, close - i - 3);
    expression.remove_prefix(std::min(expression.find_first_not_of(u" \t"), expression.size()));
    expression = expression.substr(0, expression.find_last_not_of(u" \t") + 1);
    if (expression.empty()) return {};
    const std::u16string_view op = isPhp ? u" . " : form == Form::kCJoins ? u" + " : u" & ";
    return {close + 2 - i, expression, op};
}

// Where a line of code starts after its scriptlet's opening (<% or <?php and a blank, or the
// line's end), and the close it ends with; npos when the line opens none.
std::pair<std::size_t, std::u16string_view> CodeStart(std::u16string_view line) {
    const std::size_t at = std::min(line.find_first_not_of(u" \t"), line.size());
    for (const auto& [open, close] : {std::pair(std::u16string_view(u"<?php"), u"?>"),
                                      std::pair(std::u16string_view(u"<%"), u"%>")}) {
        const std::u16string_view rest = line.substr(at);
        if (!rest.starts_with(open)) continue;
        if (rest.size() == open.size()) return {line.size(), close};
        const char16_t next = rest[open.size()];
        if (next == u' ' || next == u'\t') return {at + open.size() + 1, close};
    }
    return {line.npos, {}};
}

// Code as the scriptlet held it, its indentation kept; true when its close ends it.
template <typename Sink>
bool PutCode(Sink& out, std::u16string_view indent, std::u16string_view code,
             std::u16string_view close) {
    const std::size_t last = code.find_last_not_of(u" \t");
    const bool closed = last != code.npos && code.substr(0, last + 1).ends_with(close);
    if (closed) code = code.substr(0, last + 1 - close.size());
    if (closed) code = code.substr(0, code.find_last_not_of(u" \t") + 1);
    out.Put(indent);
    out.Put(code);
    out.PutAscii(kCRLF);
    return closed;
}

// The line with each <%= expression %> written as a join, in the quotes the head opens (' or ").
// A value at the line's end gets no empty literal after it where the tail closes the literal, one
// at its start none before it where the head opens one (a value alone is written bare).
template <typename Sink>
void PutJoinedLine(Sink& out, Form form, std::u16string_view line, std::u16string_view head,
                   std::u16string_view tail, std::int64_t tailColumn) {
    const std::u16string_view quote = form == Form::kCJoins && head.ends_with(u'\'') ? u"'" : u"\"";
    // Only a head and a tail of one line each lose their quote, as 逆変換 reads them.
    const bool oneLine =
        head.find_first_of(u"\r\n") == head.npos && tail.find_first_of(u"\r\n") == tail.npos;
    const bool opens = oneLine && head.ends_with(quote);
    const bool closes = oneLine && tail.starts_with(quote);
    CloseFinder jsp(line, u"%>"), php(line, u"?>");
    CloseFinder aheadJsp(line, u"%>"), aheadPhp(line, u"?>");  // for one look past the first
    const Join first = JoinAt(form, line, 0, aheadJsp, aheadPhp);
    const std::size_t afterFirst = first.length;
    const bool alone = afterFirst == line.size();
    std::size_t i = 0;
    bool closed = false;  // the line ended with a value, and the literal with it
    if (first.length > 0 && opens &&
        (alone ? closes : JoinAt(form, line, afterFirst, aheadJsp, aheadPhp).length == 0)) {
        out.Put(head.substr(0, head.size() - 1));
        out.Put(first.expression);
        closed = alone;
        if (!closed) {
            out.PutAscii(first.op);
            out.PutAscii(quote);
        }
        i = afterFirst;
    } else {
        out.Put(head);
    }
    for (; i < line.size(); ++i) {
        const Join join = line[i] == u'<' ? JoinAt(form, line, i, jsp, php) : Join{};
        if (join.length == 0) {
            // In single quotes (JavaScript, PHP) \ and ' are escaped, as the apostrophe
            // variant escapes them, and " stays as it is.
            PutUnit(out, quote == u"'" ? Form::kApostrophes : form, line[i]);
            continue;
        }
        closed = i + join.length == line.size() && closes;
        out.PutAscii(quote);
        out.PutAscii(join.op);
        out.Put(join.expression);
        if (!closed) {
            out.PutAscii(join.op);
            out.PutAscii(quote);
        }
        i += join.length - 1;
    }
    out.PutSpaces(static_cast<std::size_t>(line::Filler(out.width, tailColumn)));
    out.Put(closed ? tail.substr(1) : tail);
}

// Every line of text framed and escaped into out, with the filler before each tail. With joins,
// a scriptlet's lines go out as the code they hold.
template <typename Sink>
void PutLines(Sink& out, Form form, std::u16string_view text, std::u16string_view head,
              std::u16string_view tail, std::size_t indent, std::int64_t tailColumn) {
    const bool joins = form == Form::kCJoins || form == Form::kVbJoins;
    std::u16string_view codeClose;  // inside a scriptlet of several lines: its close
    for (std::size_t at = 0;;) {
        const std::size_t end = std::min(text.find(kCRLF, at), text.size());
        const std::u16string_view line = text.substr(at, end - at);
        const auto [code, close] =
            joins && codeClose.empty() ? CodeStart(line) : std::pair(line.npos, codeClose);
        if (!codeClose.empty()) {
            if (PutCode(out, {}, line, codeClose)) codeClose = {};
        } else if (code != line.npos) {
            const std::u16string_view indent = line.substr(0, line.find_first_not_of(u" \t"));
            if (!PutCode(out, indent, line.substr(code), close)) codeClose = close;
        } else {
            out.width = 0;
            out.PutSpaces(indent);
            if (joins) {
                PutJoinedLine(out, form, line, head, tail, tailColumn);
            } else {
                out.Put(head);
                for (const char16_t c : line) PutUnit(out, form, c);
                out.PutSpaces(static_cast<std::size_t>(line::Filler(out.width, tailColumn)));
                out.Put(tail);
            }
            out.PutAscii(kCRLF);
        }
        if (end == text.size()) return;
        at = end + 2;
    }
}

}  // namespace

void ConvertVariantInto(const std::function<char16_t*(std::size_t)>& room, Variant v,
                        EscapeMode mode, std::u16string_view text, std::u16string_view head,
                        std::u16string_view tail, std::int16_t hStart, std::int16_t tStart) {
    if (text.empty()) {
        room(0);
        return;
    }
    const Form form = ToForm(v, mode);
    const std::size_t indent = line::Count(hStart);
    const auto tailColumn = static_cast<std::int64_t>(line::Count(tStart));
    Counter counter;
    PutLines(counter, form, text, head, tail, indent, tailColumn);
    if (char16_t* units = room(counter.size)) {
        Writer writer{units};
        PutLines(writer, form, text, head, tail, indent, tailColumn);
    }
}

std::u16string ConvertVariant(Variant v, EscapeMode mode, std::u16string_view text,
                              std::u16string_view head, std::u16string_view tail,
                              std::int16_t hStart, std::int16_t tStart) {
    std::u16string out;
    ConvertVariantInto(
        [&out](std::size_t size) {
            out.resize(size);
            return out.data();
        },
        v, mode, text, head, tail, hStart, tStart);
    return out;
}

}  // namespace modConvert
