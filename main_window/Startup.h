// What every start of Kalvex sets up before its first window: shared by the program and the
// window benchmark, so both start the same way.
#pragma once

// Application name, default font and icon; call right after creating the QApplication.
void PrepareApplication();
