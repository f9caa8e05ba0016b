// The clipboard's text, one file per platform: Windows' CF_UNICODETEXT, X11's CLIPBOARD.
#pragma once

#include <string>
#include <string_view>

namespace cli {

// Throws Failure when there is no clipboard or no text on it.
std::u16string ReadClipboard();
// Puts the text on the clipboard, where it stays after the program has ended.
void WriteClipboard(std::u16string_view text);

}  // namespace cli
