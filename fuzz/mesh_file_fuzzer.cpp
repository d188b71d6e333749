// One scan file format through Studio's loading path: every input is refused with one line, or
// loads a mesh whose every index is in range and every coordinate finite; either way the readers
// print nothing of their own.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>

#include "fuzz/fuzz_temp_dir.h"
#include "studio/scene/mesh_io.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // What reaches std::cerr during a load is kept, shown and made a finding.
  static std::stringbuf printed;
  static std::streambuf* const original = std::cerr.rdbuf(&printed);
  static const std::filesystem::path file = tessel::fuzz::tempDir() / ("input" TESSEL_FUZZ_EXT);
  {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  const tessel::studio::LoadedFile f = tessel::studio::loadMeshFile(file);
  if (!printed.str().empty()) {
    std::cerr.rdbuf(original);
    std::cerr << "printed during the load: " << printed.str() << std::flush;
    std::abort();
  }
  if (!f.error.empty()) {
    if (f.mesh.vertexCount() != 0 || f.error.find('\n') != std::string::npos) std::abort();
  } else if (!tessel::studio::validateMesh(f.mesh).empty() || f.mesh.vertexCount() == 0) {
    std::abort();
  }
  return 0;
}
