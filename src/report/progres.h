// The progress of a long search: the count of its steps, and the status line
// shown on a terminal's standard error while a partial table counts.
#pragma once

#include <cstdint>

// Steps of the current search loop, from 0 at its start.
extern std::int64_t pasFaits;

// Starts the clock of a search and notes whether standard error is a terminal.
void progresDebut();

// Called every few thousand steps: draws or refreshes the status line once
// the partial table has run for two seconds, at most once a second.
void progres();

// Erases the status line, if one is on screen, before the program writes.
void progresEfface();
