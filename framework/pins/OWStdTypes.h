// Value pins and value operations: pins that carry single values (clock
// ticks, floats, booleans, characters, strings, integers, doubles, complex
// numbers and progress triples) instead of buffers.
#pragma once

#include <cstdint>
#include <string>

// ---------------------------------------------------------------------------
// Conversions a link applies when the receiver takes another value type than
// the sender keeps. They never throw: a value sent to several sinks must reach
// every one of them, so out-of-range values saturate instead of failing half
// way through a fan-out.

// Nearest 32-bit integer, halves to the even neighbour; values beyond the
// range give the nearest end of it, NaN gives 0.
int32_t OWRoundToInteger(double value) noexcept;

// Nearest Single (IEEE narrowing: beyond the Single range gives infinity).
float OWNarrowToSingle(double value) noexcept;

// The value as text in general format with 15 significant digits: fixed
// notation for magnitudes from 0.00001 up to 15 integer digits, otherwise
// "mantissa E exponent" ("1E20", "1.5E-7"); trailing zeros dropped; the
// decimal separator is the current C locale's. NaN and infinities read
// "NAN", "INF" and "-INF".
std::string OWFloatToText(double value);

// True when the value is not 0.
bool OWValueToBool(double value) noexcept;
