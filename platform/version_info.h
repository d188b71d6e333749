// The version block of a module file: NUL-separated key/value strings in the file's
// ".tessel_version" section, keyed like "\StringFileInfo\040904b0\ProductName".
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "host/omModule2.h"

namespace tessel::platform {

// The file the loaded module behind `instance` came from; empty when unknown.
std::string GetModuleFileName(HINSTANCE instance);

using VersionBlock = std::map<std::string, std::string>;

// False (and an empty block) for a file that is not an ELF file or has no version section.
bool GetFileVersionInfo(const std::string& file, VersionBlock& block);

// The string table of a module file (section ".tessel_strings": decimal ID, text, ...): the
// status-line text of each command ID, then after "\n" its tooltip. False for a file without one.
using StringTable = std::map<std::uint32_t, std::string>;
bool LoadStringTable(const std::string& file, StringTable& table);

// The value at `path`, or empty when the block has none.
std::string VerQueryValue(const VersionBlock& block, const std::string& path);

}  // namespace tessel::platform
