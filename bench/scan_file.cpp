// Prints the path of a generated scan as the benchmarks make it, writing it first when it is not
// there: for measuring Studio itself on the same surfaces (scripts/memory, --times).
//   scan_file scan-like|noisy TRIANGLES
#include <cstdlib>
#include <exception>
#include <iostream>
#include <string>

#include "bench/scan_fixture.h"

int main(int argc, char** argv) {
  using namespace tessel::bench;
  const std::string kind = argc == 3 ? argv[1] : "";
  const long triangles = argc == 3 ? std::atol(argv[2]) : 0;
  if ((kind != "scan-like" && kind != "noisy") || triangles < 2 || triangles > 400'000'000) {
    std::cerr << "usage: scan_file scan-like|noisy TRIANGLES\n";
    return 2;
  }
  const auto n = static_cast<std::uint32_t>(triangles);
  try {
    std::cout << scanFile(kind == "noisy" ? noisySurface(n) : scanLikeSurface(n)).string() << '\n';
  } catch (const std::exception& e) {
    std::cerr << "error: " << e.what() << '\n';
    return 1;
  }
  return 0;
}
