// What drives a source that produces a stream by itself (the audio players):
// its own periodic clock from the shared clock generator (csInternal), or the
// ticks that arrive on its clock pin (csExternal). Stored in forms by name.
#pragma once

#include <optional>
#include <string>
#include <string_view>

enum TSLClockSource { csInternal, csExternal };

// "csInternal" / "csExternal".
std::string SLClockSourceName(TSLClockSource Value);
// The value of a stored name (exact spelling, as the form writes it); none for
// any other text.
std::optional<TSLClockSource> SLClockSourceFromName(std::string_view Name);
