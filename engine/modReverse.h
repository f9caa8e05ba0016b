// The reverse conversion: reads lines of program source back into the text they were made from.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/modConvert.h"

namespace modConvert {

struct Reversed {
    std::u16string text;        // the recovered text
    std::size_t kept = 0;       // lines that did not match and were kept as they are
    std::size_t firstKept = 0;  // 1-based number of the first kept line, 0 when none
    std::u16string head, tail;  // the head and tail used
    bool guessed = false;       // head and tail were taken from the text
};

// Reads each line (split at CR LF; a last CR LF ends the last line and starts none) as
// indentation, head, escaped body, filler and tail, and gives the bodies unescaped, joined with
// CR LF. Indentation: hStart spaces, or else any spaces and tabs (the head's own leading blanks
// then need not be there). Tail: at the line's end, or else before trailing spaces and tabs (its
// own trailing blanks then need not be there). Filler: when the tail starts at byte column
// tStart, the body's trailing spaces are taken for filler and dropped. Mode 1 reads \\ \" \'
// \t and \uXXXX, mode 2 reads "" and " & vbTab & ", other modes take the body as it is. A line
// that does not read so is kept as it is. A head or tail holding CR LF makes a converted line of
// several; where the lines can be read in more than one way, the reading that keeps the fewest
// lines is taken, and of those the one with the fewest lines the converter would not have
// written so (other indentation, blanks after the tail, a tail short of its column).
//
// With head and tail both empty, and a " in every line that is not blank, the head is taken to
// be what each such line starts with after its indentation up to its first ", and the tail what
// it ends with from its last ", when all these lines agree on both.
//
// What ConvertLinesAligned(mode, text, head, tail, hStart, tStart) and ConvertVariant (with mode
// 1 for UnicodeEscapes and Apostrophes, with its own mode for Tabs) write comes back as the text
// when head or tail is not empty (with both empty, the guess may take over), except that:
// - a line whose tail landed on column tStart (it was padded, or just fit) loses its trailing
//   spaces: they cannot be told from filler;
// - when the head ends with CR and the tail starts with LF, a line that starts with LF or ends
//   with CR makes CR LFs with them, and different texts can give the same lines: one of them
//   comes back (less such trailing spaces).
Reversed ReverseLines(EscapeMode mode, std::u16string_view text, std::u16string_view head,
                      std::u16string_view tail, std::int16_t hStart, std::int16_t tStart);

}  // namespace modConvert
