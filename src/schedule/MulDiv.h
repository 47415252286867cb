#pragma once

#include <cstdint>

// a * b / c with the exact quotient rounded to the nearest integer, halves
// away from zero (the Windows MulDiv). Returns -1 when c is 0 or the result
// does not fit 32 bits, as MulDiv does.
std::int32_t MulDiv(std::int32_t a, std::int32_t b, std::int32_t c);
