#pragma once
// Win32 only: what both programs ask about another process.

// Whether the process is gone or has ended; a process that cannot be asked about (another
// user's, say) counts as running, so that nothing of a live writer is ever removed.
bool ProcessEnded(unsigned long id);

// Set in the archiver's environment by Datensicherung when it waits for the archiver
// (/WARTEN): nobody sits at the archiver's console to press a key.
inline constexpr const wchar_t* kLauncherWaitsVariable = L"DATENSICHERUNG_WARTET";
