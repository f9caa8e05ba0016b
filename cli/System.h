// What kalvex-cli needs of the system, one file per platform: the command line, the locale,
// files by name and, on Windows, the console.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace cli::sys {

// The arguments after the program's name, in UTF-8.
std::vector<std::string> Arguments(int argc, char** argv);
// The user's language is Japanese.
bool Japanese();
// Standard input and output carry bytes as they are.
void UseBinaryStreams();
// The stream is a Windows console, which takes text rather than bytes.
bool IsConsole(std::FILE* stream);
void ToConsole(std::FILE* stream, std::u16string_view text);

// Files named in UTF-8; null when it cannot be opened.
std::FILE* OpenToRead(const std::string& path);
// A new file beside path (its name in temp), to take path's place once written whole.
std::FILE* CreateBeside(const std::string& path, std::string& temp);
bool Replace(const std::string& temp, const std::string& path);
void Remove(const std::string& path);

}  // namespace cli::sys
