// What every start of Kalvex sets up before its first window: shared by the program and the
// window benchmark, so both start the same way.
#pragma once

// Call first in main, before anything is allocated that matters. Where the system gives huge
// pages only to memory that asks for them (Linux with glibc, transparent huge pages in "madvise"
// mode), the program starts itself again, once, with the C library asked to ask for them: here
// the first write to fresh memory runs some twenty-five times faster in huge pages, and the text
// boxes write hundreds of megabytes of fresh memory for a large text. Returns at once elsewhere,
// under a tool that preloads itself (LD_PRELOAD), and in the restarted program, which gives its
// own children the environment it was started with.
void UseHugePages(char** argv);

// Application name, default font and icon; call right after creating the QApplication.
void PrepareApplication();
