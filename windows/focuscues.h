#pragma once

class QPushButton;
class QWidget;

// Where the keyboard's focus is must always be seen.

// The focus shows on the window's controls from the moment the window opens, not only once the
// keys have moved it: showing a window forgets that they did.
void ShowFocusFromTheStart(QWidget* window);

// The focused button shows a focus frame also where the style marks the focus only with the
// outline that the default button has anyway.
void FrameFocusedButton(QPushButton* button);
