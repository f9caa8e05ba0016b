// 編集 and the commands of the input box's context menu, which the main window runs on the input
// text with its own fields.
#pragma once

enum class TextCommand { Edit, Reverse, Check, EditUnicode, EditApostrophes, EditTabs, EditJoins };
