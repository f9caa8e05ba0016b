// kalvex-cli's run: reads the files or standard input, runs the command through the engine's
// table of commands and writes the output; the program's main only hands it the platform's
// streams.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace cli {

struct Io {
    std::FILE* in;
    std::FILE* out;
    std::FILE* err;
    std::size_t block = 1 << 16;  // bytes read at a time; a piece of output is about as long
};

// Returns the exit status: 0, 1 for findings of the check, 2 for a usage or input error.
int Main(const std::vector<std::string>& args, const Io& io);

}  // namespace cli
