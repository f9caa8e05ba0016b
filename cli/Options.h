// kalvex-cli's command line: the main window's fields, the command and where text comes from
// and goes.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "cli/Text.h"
#include "engine/modCheck.h"
#include "engine/modCommand.h"

namespace cli {

struct Options {
    modConvert::Command command = modConvert::Command::Edit;
    modConvert::EscapeMode mode = modConvert::kEscapeNone;
    std::u16string head, tail;
    std::int16_t hStart = 0, tStart = 0;
    Encoding from = Encoding::Utf8, to = Encoding::Utf8;
    bool lf = false;
    std::string output;              // -o; empty for standard output
    std::vector<std::string> files;  // none: standard input
    bool clipboard = false, help = false, version = false;
    bool findingLines = false;  // the check's findings one a line, as compilers write theirs
    std::array<bool, modConvert::kProblems> failOn{};  // kinds that make the check exit 1
};

// Throws Failure for a usage error, and for a column that is not at most three half-width
// digits (the main window's input error).
Options ParseOptions(const std::vector<std::string>& args);

// What kalvex-cli calls each kind of the check's findings.
std::string_view KindName(modConvert::Problem problem);

}  // namespace cli
