#pragma once
// Resource identifiers shared by app.rc and the window layer.
#define IDI_APP 1
#define IDI_PWSAVE 2
