// The game's own pseudo-random generator, so that a seed makes the same
// world on every system. It draws exactly what the GNU C library's rand()
// draws after srand() with the same seed (the worlds the game has always
// made on Linux); the C runtime on Windows draws other numbers.
#pragma once

// Starts the sequence of a seed, as srand() does.
void seedRandom(unsigned seed);

// The next number, 0 to 2147483647, as rand() gives it.
int drawRandom();
