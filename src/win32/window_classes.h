#pragma once
// Window class names of the main window and its panels, and the control table with the
// identifiers. The end-to-end driver finds the controls by these from outside the process.
#include "window_logic/control_table.h"

#define DS_MAIN_CLASS L"TFMain"
#define DS_PANEL_CLASS L"TPanel"
