// The settings reader on any file content: a read never crashes, a file it cannot take is moved
// aside (never lost), and a write afterwards always succeeds and reads back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>

#include "fuzz/fuzz_temp_dir.h"
#include "platform/settings_store.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  namespace fs = std::filesystem;
  static const fs::path folder = tessel::fuzz::tempDir() / "tessel";
  std::error_code ec;
  fs::remove_all(folder, ec);
  fs::create_directories(folder);
  const fs::path file = folder / "registry.json";
  {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  tessel::platform::SettingsStore store(file);
  (void)store.read("software\\Tessel", "value");
  if (!fs::exists(file)) {  // moved aside: the bytes must be there, whole
    fs::path aside = file;
    aside += ".corrupt";
    if (fs::file_size(aside) != size) std::abort();
  }
  if (!store.write("software\\Tessel", "fuzz", 7)) std::abort();
  if (store.read("software\\Tessel", "fuzz") != nlohmann::json(7)) std::abort();
  return 0;
}
