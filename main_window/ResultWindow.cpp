#include "ResultWindow.h"

void ResultWindow::Prepare() { slot_.Get(owner_)->Clear(); }

void ResultWindow::Present(const QString& text) { slot_.Get(owner_)->Present(text, owner_); }

void ResultWindow::Dispose() {
    if (frmReturn* form = slot_.Existing()) form->Unload();
}
