// A text read in pieces and a command run on it: by line in pieces of whole lines, or whole.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "cli/Text.h"
#include "engine/modCommand.h"

namespace cli {

// Reads bytes into the buffer given, up to its size; 0 at the end.
using Read = std::function<std::size_t(char*, std::size_t)>;
using Put = std::function<void(std::u16string_view)>;

// Runs a command that goes by line on the text read, in pieces of whole lines about block units
// long, handing out each piece's output: all of it is what one call on the whole text gives.
void RunByLine(modConvert::Command command, modConvert::Fields fields, Decoder& decoder,
               const Read& read, const Put& put, std::size_t block);

// The whole text read; throws Failure past the most a text box holds.
std::u16string ReadWhole(Decoder& decoder, const Read& read, std::size_t block);

std::string TooLarge();  // the message for a text past that

}  // namespace cli
