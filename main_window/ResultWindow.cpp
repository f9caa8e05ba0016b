#include "ResultWindow.h"

void ResultWindow::Prepare() { slot_.Get(owner_)->Clear(); }

void ResultWindow::Present(const std::u16string& text) {
    slot_.Get(owner_)->Present(QString::fromStdU16String(text), owner_);
}

void ResultWindow::Dispose() {
    if (frmReturn* form = slot_.Existing()) form->Unload();
}
