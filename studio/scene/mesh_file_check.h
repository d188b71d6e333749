// Checks a scan file's bytes against what OpenMesh's readers take on trust, before a reader sees
// them. The readers add one element for every element a header declares (reading on past the end
// of the file), loop on a header line they cannot parse and leave values uninitialised when an
// ASCII number fails to parse; a file that passes here is one they read exactly as written, in
// time and memory bounded by its size. Only the structure is checked: index ranges and
// non-finite binary values are left to the checks on the loaded arrays.
#pragma once

#include <string>
#include <string_view>

namespace tessel::studio {

// `ext` is the lower-case extension with its dot (".ply", ".off", ".obj", ".stl"). An empty
// string when the reader can be given the file, else the problem in a few words. Not
// `thorough`, the body of a binary PLY is walked only where the reader could run away (four-byte
// list lengths): elsewhere it stops at the end of the file by itself, and a load that then comes
// up short asks again, thoroughly, for the message.
std::string checkMeshFile(std::string_view bytes, std::string_view ext, bool thorough = true);

}  // namespace tessel::studio
