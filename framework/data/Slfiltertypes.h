// Display strings for the value names of an enumeration, for selection lists
// whose index is the enumeration value.
#pragma once

#include <string>
#include <vector>

#include "platform/classlib/Lists.h"

// Replaces Strings with one line per name of ValueNames (the enumeration's
// value names in declaration order). RemovePrefix drops the leading
// characters that are not upper-case letters (the lower-case type prefix and
// any digit or other caseless character right after it), keeping at least one
// character; InsertSpaces puts a blank before every character after the first
// that is not a lower-case letter. Case is ASCII case.
void SLEnumTypeToStrings(const std::vector<std::string> &ValueNames, TStringList &Strings,
                         bool RemovePrefix, bool InsertSpaces);
// The display string of one name, by the same rules.
std::string SLEnumNameToString(std::string Name, bool RemovePrefix, bool InsertSpaces);
