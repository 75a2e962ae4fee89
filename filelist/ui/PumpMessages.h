// The message pump of long operations.
#pragma once

// Dispatches every waiting event and returns when none is left. Paced: a call within about a
// sixtieth of a second of the last dispatch returns at once, so a loop that calls it per row
// neither repaints nor pays for the event queue per row.
void PumpMessages();

// True when the next PumpMessages() would dispatch: the moment to bring what the user sees up
// to date, instead of doing so for every row.
bool PumpDue();

// The same without the pacing, for the moments that must show at once (a dialog appearing).
void PumpMessagesNow();

// Milliseconds between two paced dispatches.
constexpr int kPumpIntervalMs = 16;
