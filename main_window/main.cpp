// Kalvex: turns fixed text into lines of program source.
#include <QApplication>

#include "AppIcon.h"
#include "Form.h"
#include "Services.h"
#include "frmKalvex.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(forms::App().exeName);
    // The windows' default font, as on a Japanese desktop.
    QApplication::setFont(forms::JapaneseFont(forms::Face::PGothic, 9));
    QApplication::setWindowIcon(KalvexIcon());

    forms::FormSlot<frmKalvex> mainWindow;
    mainWindow.Get();
    return QApplication::exec();
}
