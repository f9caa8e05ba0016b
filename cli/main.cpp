// kalvex-cli: Kalvex's commands from the command line.
#include <cstdio>

#include "cli/Messages.h"
#include "cli/Run.h"
#include "cli/System.h"

int main(int argc, char** argv) {
    cli::sys::UseBinaryStreams();
    cli::UseJapanese(cli::sys::Japanese());
    return cli::Main(cli::sys::Arguments(argc, argv), {stdin, stdout, stderr});
}
