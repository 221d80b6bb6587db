#include "framework/data/SLClockSource.h"

std::string SLClockSourceName(TSLClockSource Value) {
  return Value == csExternal ? "csExternal" : "csInternal";
}

std::optional<TSLClockSource> SLClockSourceFromName(std::string_view Name) {
  if (Name == "csInternal")
    return csInternal;
  if (Name == "csExternal")
    return csExternal;
  return std::nullopt;
}
