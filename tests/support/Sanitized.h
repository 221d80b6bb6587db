#pragma once

// A sanitizer build runs ten to twenty times slower than a plain one. Tests whose
// largest cases only repeat, at a larger size, paths that smaller cases already walk
// keep those cases for the plain build, where they check the numbers; the sanitizer
// build looks for memory and threading faults, which the smaller cases reach as well.
#ifdef SONVELT_SANITIZED
inline constexpr bool kSanitizedBuild = true;
#else
inline constexpr bool kSanitizedBuild = false;
#endif
