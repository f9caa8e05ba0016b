// forms::Ctl on Qt Widgets.
#include <QAction>
#include <QLabel>
#include <QRadioButton>

#include "forms/qt/NativeForm.h"
#include "forms/qt/TextBoxes.h"

namespace forms {

std::u16string Ctl::Text() const {
    if (auto* box = As<MultiLineBox>(native_)) return box->Text();
    if (auto* line = As<QLineEdit>(native_)) return line->text().toStdU16String();
    if (auto* label = As<QLabel>(native_)) return label->text().toStdU16String();
    return {};
}

void Ctl::SetText(std::u16string_view text) {
    const QString q = ToQString(text);
    if (auto* box = As<MultiLineBox>(native_)) box->setPlainText(q);
    if (auto* line = As<QLineEdit>(native_)) line->setText(q);
    if (auto* label = As<QLabel>(native_)) {
        label->setText(q);
        label->setAccessibleName(q);
    }
}

void Ctl::Clear() {
    if (auto* box = As<MultiLineBox>(native_)) box->ClearUndoably();
    if (auto* line = As<QLineEdit>(native_)) line->clear();
}

void Ctl::Fill(const LargeText& text) {
    if (auto* box = As<MultiLineBox>(native_))
        box->Fill(text.Native() ? text.Native()->text : QString());
}

bool Ctl::IsModified() const {
    auto* box = As<MultiLineBox>(native_);
    return box && box->document()->isModified();
}

void Ctl::SetEnabled(bool enabled) {
    if (QWidget* widget = As(native_)) widget->setEnabled(enabled);
    if (auto* action = As<QAction>(native_)) action->setEnabled(enabled);
}

void Ctl::SetFocus() {
    if (QWidget* widget = As(native_); widget && widget->isEnabled()) widget->setFocus();
}

void Ctl::SetToolTip(std::u16string_view tip) {
    if (QWidget* widget = As(native_)) {
        widget->setToolTip(ToQString(tip));
        widget->setAccessibleDescription(widget->toolTip());
    }
}

bool Ctl::Value() const {
    auto* option = As<QRadioButton>(native_);
    return option && option->isChecked();
}

void Ctl::SetValue(bool selected) {
    if (auto* option = As<QRadioButton>(native_)) option->setChecked(selected);
}

void Ctl::Move(const Twips& at) {
    if (QWidget* widget = As(native_)) widget->setGeometry(ToQRect(Px(at)));
}

}  // namespace forms
