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

// A <%= expression %> at the start of line written as a join; how much of line it took, 0 when
// none.
template <typename Sink>
std::size_t PutJoin(Sink& out, Form form, std::u16string_view line) {
    if ((form != Form::kCJoins && form != Form::kVbJoins) || !line.starts_with(u"<%=")) return 0;
    const std::size_t close = line.find(u"%>", 3);
    if (close == line.npos) return 0;
    std::u16string_view expression = line.substr(3, close - 3);
    expression.remove_prefix(std::min(expression.find_first_not_of(u" \t"), expression.size()));
    expression = expression.substr(0, expression.find_last_not_of(u" \t") + 1);
    if (expression.empty()) return 0;
    out.PutAscii(form == Form::kCJoins ? u"\" + " : u"\" & ");
    out.Put(expression);
    out.PutAscii(form == Form::kCJoins ? u" + \"" : u" & \"");
    return close + 2;
}

// Every line of text framed and escaped into out, with the filler before each tail.
template <typename Sink>
void PutLines(Sink& out, Form form, std::u16string_view text, std::u16string_view head,
              std::u16string_view tail, std::size_t indent, std::int64_t tailColumn) {
    for (std::size_t at = 0;;) {
        const std::size_t end = std::min(text.find(kCRLF, at), text.size());
        out.width = 0;
        out.PutSpaces(indent);
        out.Put(head);
        // Past the line's last %>, no <%= can close: no search from there, so that a line of
        // unclosed <%= is read once.
        const bool joins = form == Form::kCJoins || form == Form::kVbJoins;
        const std::size_t lastClose = joins ? text.substr(0, end).rfind(u"%>") : text.npos;
        for (std::size_t i = at; i < end; ++i) {
            const bool closable = lastClose != text.npos && lastClose >= i + 3;
            const std::size_t after = closable ? PutJoin(out, form, text.substr(i, end - i)) : 0;
            if (after > 0) {
                i += after - 1;
            } else {
                PutUnit(out, form, text[i]);
            }
        }
        out.PutSpaces(static_cast<std::size_t>(line::Filler(out.width, tailColumn)));
        out.Put(tail);
        out.PutAscii(kCRLF);
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
