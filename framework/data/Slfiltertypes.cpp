#include "framework/data/Slfiltertypes.h"

namespace {
bool IsLower(char c) { return c >= 'a' && c <= 'z'; }
bool IsUpper(char c) { return c >= 'A' && c <= 'Z'; }
} // namespace

std::string SLEnumNameToString(std::string Name, bool RemovePrefix, bool InsertSpaces) {
  if (RemovePrefix)
    while (Name.size() >= 2 && !IsUpper(Name[0]))
      Name.erase(0, 1);
  if (InsertSpaces && Name.size() >= 2)
    for (size_t i = Name.size() - 1; i >= 1; --i)
      if (!IsLower(Name[i]))
        Name.insert(i, 1, ' ');
  return Name;
}

void SLEnumTypeToStrings(const std::vector<std::string> &ValueNames, TStringList &Strings,
                         bool RemovePrefix, bool InsertSpaces) {
  Strings.Clear();
  for (const std::string &name : ValueNames)
    Strings.Add(SLEnumNameToString(name, RemovePrefix, InsertSpaces));
}
