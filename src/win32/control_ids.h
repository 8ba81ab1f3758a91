#pragma once
// Window class names and control identifiers of the main window. The end-to-end test driver
// finds the controls by these from outside the process.

#define DS_MAIN_CLASS L"TFMain"
#define DS_PANEL_CLASS L"TPanel"

enum DsControlId {
  ID_Start = 1,  // IDOK: Enter acts on it
  ID_Ende = 2,   // IDCANCEL: Esc acts on it
  ID_StatusBar1 = 100,
  ID_changepath = 101,
  ID_Panel1 = 102,
  ID_Panel2 = 103,
  ID_GroupBox1 = 104,
  ID_Datum = 105,
  ID_kompbox = 106,
  ID_Komprimierung = 107,
  ID_GroupBox2 = 108,
  ID_Archiv = 109,
  ID_GroupBox3 = 110,
  ID_pwsave = 111,
  ID_Passwort = 112,
  ID_Passwort2 = 113,
  ID_Ziel = 114,
  ID_Zeitbox = 115,
  ID_sofort = 116,
  ID_spaeter = 117,
  ID_Uhrzeit = 118,
  ID_Tag = 119,
  ID_StopProg = 120,
  ID_ZielItem0 = 200,  // the job radio buttons inside Ziel: 200, 201, ...
};
