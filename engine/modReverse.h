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
    std::size_t read = 0;       // lines read back
    std::size_t kept = 0;       // lines that did not read and were kept as they are
    std::size_t firstKept = 0;  // 1-based number of the first of them, 0 when none
    std::size_t code = 0;       // lines of code that did not read, kept inside <% %> (<?php ?>)
    std::size_t firstCode = 0;  // 1-based number of the first of them, 0 when none
    std::size_t dropped = 0;    // blank lines dropped
    std::size_t values = 0;     // joined values written as <%= %> (<?= ?>)
    std::size_t lineEnds = 0;   // lines whose written line break (\n, vbCrLf) was their end
};

// Reads each line (split at CR LF; a last CR LF ends the last line and starts none) as
// indentation, head, escaped body, filler and tail, and gives the bodies unescaped, joined with
// CR LF. Indentation: hStart spaces, or else any spaces and tabs (the head's own leading blanks
// then need not be there). Tail: at the line's end, or else before trailing spaces and tabs (its
// own trailing blanks then need not be there). Filler: when the tail starts at byte column
// tStart, the body's trailing spaces are taken for filler and dropped. Mode 1 reads \\ \" \' \/
// \t \b \f \0 and \uXXXX, and \n, \r or \r\n as a line break (none when it ends the body: that
// is the line's own end); a body that does not read so after a head ending with ' is read as
// quoted with ': only \\ and \'.
// Mode 2 reads "" and joins of vbTab, vbCrLf, vbNewLine, vbLf, vbCr, Chr(13), Chr(10) (line
// breaks as in mode 1) and Chr(34), written in any case. In modes 1 and 2 a value joined to the
// literals (+ in mode 1, & in mode 2; literals and brackets inside it skipped whole) is written
// as <%= value %>; VB's line continuation (_ at the line's end) is no value. Other modes take the
// body as it is. A line that does not read so is kept as it is, unless it is blank (spaces and tabs
// only): then it is dropped. A head or tail holding CR LF makes a converted line of several; where
// the lines can be read in more than one way, the reading that keeps the fewest lines is taken, and
// of those the one with the fewest lines the converter would not have written so (other
// indentation, blanks after the tail, a tail short of its column).
//
// With head and tail both empty, each line is read on its own: its head is what it starts with
// after its indentation up to its first quote (" or, in mode 1, '), its tail what follows its
// last literal and the values joined after it. Values joined before the first literal read so
// too. In mode 2 a line break joined just before the first literal (s = s & vbCrLf & ") goes
// with the head, and one joined alone after the last literal (" & vbCrLf) with the tail. Lines
// without a literal, and comment lines, are kept; head and tail give the first line read's.
//
// With mode 1, literals that span lines are read as their compilers read them (a Java text block, a
// JavaScript template, a C++ raw string; see statement::LiteralForm): after a head that ends
// outside any literal and tags no template, a literal form whole before a tail that opens no
// literal is read as its value, every line break of it a line break of the text; with both fields
// empty, so is a text that is one such literal alone (not a text block: C#'s raw strings look
// alike), and statements holding them are read as above. Their lines count as lines read; no line
// inside one is read on its own. What ConvertLiteral(form, text, head, tail, hStart) writes comes
// back as the text, but that a lone LF a raw string writes, or a text block after white space javac
// strips at a piece's end, comes back as a line break.
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
