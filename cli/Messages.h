// kalvex-cli's words, in Japanese or English by the user's locale.
#pragma once

#include <string>

namespace cli {

// Ends the run with exit status 2 and the message on standard error.
struct Failure {
    std::string message;
};

void UseJapanese(bool japanese);
bool Japanese();
// The text in the user's language.
std::string Say(const char* japanese, const char* english);
std::string HelpText();

}  // namespace cli
