// Kalvex: turns fixed text into lines of program source.
#include <QApplication>

#include "Form.h"
#include "Startup.h"
#include "frmKalvex.h"

int main(int argc, char* argv[]) {
    UseHugePages(argv);
    QApplication app(argc, argv);
    PrepareApplication();

    forms::FormSlot<frmKalvex> mainWindow;
    mainWindow.Get();
    return QApplication::exec();
}
