// The edit control as the program's text boxes.
#pragma once

#include "forms/win32/NativeForm.h"

namespace forms {

// What the program needs of the edit control: its pastes, its limit, its keys, its menu.
void MakeTextBox(NativeControl& box);
std::u16string BoxText(HWND box);

}  // namespace forms
