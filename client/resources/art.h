// Pictures built into the programs, looked up by resource number. Each is
// the bytes of a Windows bitmap file (BMP) made by tools/artgen at build time.
#pragma once
#include <span>

namespace art {

// The bitmap file bytes of a picture resource; empty when there is none.
std::span<const unsigned char> ArtResource(int id);

}  // namespace art
