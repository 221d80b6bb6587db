#include "platform/gui/VersionInfo.h"

#include <filesystem>
#include <system_error>

#include <unistd.h>

namespace gui {

namespace {

const std::map<std::string, std::string> &Block() {
  static const std::map<std::string, std::string> block = {
      {"\\StringFileInfo\\040904E4\\CompanyName", "Sonvelt"},
      {"\\StringFileInfo\\040904E4\\FileDescription", "Sonvelt USB audio recorder"},
      {"\\StringFileInfo\\040904E4\\FileVersion", "1.13.0.0"},
      {"\\StringFileInfo\\040904E4\\InternalName", "sonvelt"},
      {"\\StringFileInfo\\040904E4\\LegalCopyright", "Copyright (C) 2007 Sonvelt"},
      {"\\StringFileInfo\\040904E4\\OriginalFilename", "sonvelt"},
      {"\\StringFileInfo\\040904E4\\ProductName", "Sonvelt"},
      {"\\StringFileInfo\\040904E4\\ProductVersion", "1.13"},
  };
  return block;
}

bool IsRunningProgram(const std::string &fileName) {
  std::error_code ec;
  auto self = std::filesystem::canonical("/proc/self/exe", ec);
  if (ec)
    return false;
  auto other = std::filesystem::canonical(fileName, ec);
  return !ec && other == self;
}

} // namespace

uint32_t GetFileVersionInfoSize(const std::string &fileName) {
  if (!IsRunningProgram(fileName))
    return 0;
  uint32_t size = 0;
  for (const auto &[k, v] : Block())
    size += static_cast<uint32_t>(k.size() + v.size() + 2);
  return size;
}

bool GetFileVersionInfo(const std::string &fileName, std::map<std::string, std::string> &block) {
  if (!IsRunningProgram(fileName))
    return false;
  block = Block();
  return true;
}

bool VerQueryValue(const std::map<std::string, std::string> &block, const std::string &key,
                   std::string &value) {
  auto it = block.find(key);
  if (it == block.end())
    return false;
  value = it->second;
  return true;
}

} // namespace gui
