#include "platform/version_info.h"

#include <elf.h>
#include <link.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <vector>

#include <dlfcn.h>

namespace tessel::platform {

namespace {


bool readAt(std::ifstream& in, std::uint64_t offset, void* out, std::size_t size) {
  in.seekg(static_cast<std::streamoff>(offset));
  in.read(static_cast<char*>(out), static_cast<std::streamsize>(size));
  return bool(in);
}

}  // namespace

std::string GetModuleFileName(HINSTANCE instance) {
  if (!instance) return {};
  link_map* map = nullptr;
  if (::dlinfo(instance, RTLD_DI_LINKMAP, &map) != 0 || !map || !map->l_name) return {};
  return map->l_name;
}

// Reads the NUL-separated key/value pairs of ELF section `section` of `file`.
static bool readSectionPairs(const std::string& file, const char* section, VersionBlock& block) {
  block.clear();
  std::ifstream in(file, std::ios::binary);
  Elf64_Ehdr eh{};
  if (!in || !readAt(in, 0, &eh, sizeof eh) || std::memcmp(eh.e_ident, ELFMAG, SELFMAG) != 0 ||
      eh.e_ident[EI_CLASS] != ELFCLASS64 || eh.e_shentsize != sizeof(Elf64_Shdr) ||
      eh.e_shstrndx >= eh.e_shnum)
    return false;
  std::vector<Elf64_Shdr> sections(eh.e_shnum);
  if (!readAt(in, eh.e_shoff, sections.data(), sections.size() * sizeof(Elf64_Shdr))) return false;
  const Elf64_Shdr& names = sections[eh.e_shstrndx];
  std::vector<char> nameTable(names.sh_size + 1, '\0');
  if (!readAt(in, names.sh_offset, nameTable.data(), names.sh_size)) return false;
  for (const Elf64_Shdr& s : sections) {
    if (s.sh_name >= names.sh_size || std::strcmp(&nameTable[s.sh_name], section) != 0)
      continue;
    if (s.sh_size > (1u << 16)) return false;  // no real block is this large
    std::vector<char> data(s.sh_size + 1, '\0');
    if (!readAt(in, s.sh_offset, data.data(), s.sh_size)) return false;
    // Pairs of NUL-terminated strings; a dangling key without a value is dropped.
    std::size_t pos = 0;
    while (pos < s.sh_size) {
      std::string key(&data[pos]);
      pos += key.size() + 1;
      if (pos >= s.sh_size + 1 || key.empty()) break;
      std::string value(&data[pos]);
      pos += value.size() + 1;
      block[key] = value;
    }
    return true;
  }
  return false;
}

bool GetFileVersionInfo(const std::string& file, VersionBlock& block) {
  return readSectionPairs(file, ".tessel_version", block);
}

bool LoadStringTable(const std::string& file, StringTable& table) {
  table.clear();
  VersionBlock pairs;
  if (!readSectionPairs(file, ".tessel_strings", pairs)) return false;
  for (const auto& [key, text] : pairs) {
    char* end = nullptr;
    const unsigned long id = std::strtoul(key.c_str(), &end, 10);
    if (end && *end == '\0' && id <= 0xFFFFu) table[static_cast<std::uint32_t>(id)] = text;
  }
  return true;
}

std::string VerQueryValue(const VersionBlock& block, const std::string& path) {
  auto it = block.find(path);
  return it == block.end() ? std::string() : it->second;
}

}  // namespace tessel::platform
