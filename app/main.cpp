// The sonvelt program: the framework up, the window's entry routine, the
// framework down.
#include "app/Sonvelt.h"
#include "framework/data/FrameworkRuntime.h"

int main(int argc, char **argv) {
  TFrameworkRuntime runtime;
  return WinMain(argc, argv);
}
