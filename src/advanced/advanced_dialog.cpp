#include "advanced/advanced.h"

// Placeholder until the dialog lands: the template does not exist yet, so the page's
// DialogBoxParamA fails and this procedure never runs.
INT_PTR CALLBACK AdvancedSettingsProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
