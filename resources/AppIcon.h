// The application icon, embedded in the program in every size it is drawn in.
#pragma once

#include <QIcon>

// Set it as the application's window icon, and every window shows it.
QIcon KalvexIcon();
