// Keyboard reach of radio-button groups, shared by every window that has them.
#pragma once
#include <windows.h>

// The dialog manager lets Tab stop on a radio button only while it carries
// WS_TABSTOP, and checking a button gives it the style while unchecking takes
// it away. A group with no checked button (or only a disabled one) would then
// have no tab stop at all. This gives each group of the window exactly one:
// its checked button when that one can take the focus, else its first button
// that can. Run it after anything changes a group's check or enable state.
void KeepRadioGroupsReachable(HWND dialog);
