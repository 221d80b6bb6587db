// The program's version information, compiled in (the platform kept it as
// a resource of the program file). Values are read by the keys the
// platform uses: "\StringFileInfo\040904E4\FileVersion" and so on.
#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace gui {

// The block of a program file: its size in bytes, 0 when the file carries
// none (any file other than the running program).
uint32_t GetFileVersionInfoSize(const std::string &fileName);
// The string values of the block by their full key; false without a block.
bool GetFileVersionInfo(const std::string &fileName, std::map<std::string, std::string> &block);
// One value of a block; false when the key is absent.
bool VerQueryValue(const std::map<std::string, std::string> &block, const std::string &key,
                   std::string &value);

} // namespace gui
