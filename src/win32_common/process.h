#pragma once
// Win32 only: what both programs ask about another process.

// Whether the process is gone or has ended; a process that cannot be asked about (another
// user's, say) counts as running, so that nothing of a live writer is ever removed.
bool ProcessEnded(unsigned long id);
