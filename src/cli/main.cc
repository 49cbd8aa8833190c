#include <string>
#include <vector>

#include "cli/cli_run.h"

int main(int argc, char** argv) {
  return kestrilo::RunCli(std::vector<std::string>(argv + 1, argv + argc));
}
