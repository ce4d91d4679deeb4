#include <iostream>
#include <string>
#include <vector>

#include "tools/sorvane-host/commands.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  return sorvane::host::runCommandLine(args, std::cout, std::cerr);
}
