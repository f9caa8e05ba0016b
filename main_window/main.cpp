// Kalvex: turns fixed text into lines of program source.
#include "forms/App.h"
#include "forms/Form.h"
#include "main_window/frmKalvex.h"

int main(int /*argc*/, char* argv[]) {
    forms::Application app(argv[0]);
    forms::FormSlot<frmKalvex> mainWindow;
    mainWindow.Get();
    return app.Exec();
}
