// Runs a shell command for a test and gives back its standard output, with
// its exit status in Status (as pclose gives it). For the tools that read
// our files back (cjpeg, djpeg, pdfinfo...).
// Include "tests/support/RunCommand.h".
#pragma once

#include <cstdio>
#include <string>

inline std::string RunCommand(const std::string &Command, int &Status) {
  std::string Out;
  FILE *Pipe = popen(Command.c_str(), "r");
  if (!Pipe) {
    Status = -1;
    return Out;
  }
  char Buffer[4096];
  size_t N;
  while ((N = fread(Buffer, 1, sizeof Buffer, Pipe)) > 0)
    Out.append(Buffer, N);
  Status = pclose(Pipe);
  return Out;
}
