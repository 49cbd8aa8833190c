#include <cstdio>

int main() {
  std::puts("kestrilo-cli");
  return 0;
}
