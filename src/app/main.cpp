#include <cstdio>

#include "platform/paths.h"

int main() {
  std::printf("Stampwell: the desktop program is not built yet. Program directory: %s\n",
              stampwell::ProgramDir().c_str());
  return 0;
}
