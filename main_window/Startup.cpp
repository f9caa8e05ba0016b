#include "Startup.h"

#include <QApplication>

#include "AppIcon.h"
#include "Services.h"

void PrepareApplication() {
    QApplication::setApplicationName(forms::App().exeName);
    // The windows' default font, as on a Japanese desktop.
    QApplication::setFont(forms::JapaneseFont(forms::Face::PGothic, 9));
    QApplication::setWindowIcon(KalvexIcon());
}
