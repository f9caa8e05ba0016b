// What a pasted text becomes in each kind of text box, whatever way it was pasted.
#pragma once

#include <string>
#include <string_view>

namespace forms {

// A single-line box keeps the text up to its first CR or LF.
std::u16string FirstLine(std::u16string_view text);

// A multi-line box breaks lines at CR LF only: a lone CR, a lone LF and the paragraph separator
// become CR LF, so that every line break the user sees is one the conversion sees.
std::u16string WithCrLf(std::u16string_view text);

}  // namespace forms
