// The C run-time's random numbers as the programs know them: one sequence per
// process, each number in 0..32767.
#pragma once

namespace win {

// Starts the sequence again from `seed` (the sequence starts from 1 otherwise).
void srand(unsigned int seed);

// The next number of the sequence, 0..32767.
int rand();

} // namespace win
