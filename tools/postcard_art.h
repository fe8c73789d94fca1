// The pictures of the items window and the postcard windows: the item icons
// installed in the folder "icon", the stamp of the send window and the two
// small card pictures of the mailbox.
#pragma once
#include <cstdint>
#include <filesystem>
#include <vector>

#include "canvas.h"

namespace artgen {

// 114: a 32 x 32 stamp with an envelope.
Canvas DrawStampPicture();
// 135 and 136: 16 x 16 pictures on the mask colour cyan: a sheet of text
// lines (a read card) and a closed envelope (an unread card).
Canvas DrawReadCardPicture();
Canvas DrawUnreadCardPicture();

// The canvas as an icon file with one 32 x 32 image: 24-bit colour and a
// mask that leaves out every pixel less than half covered.
std::vector<std::uint8_t> EncodeIco(const Canvas& canvas);

// Writes the item icons: "<n>.ico" for every character picture (the
// appearance items) and "i<n>.ico" for every item picture (the ordinary
// items), each the picture on a small round tile.
void WriteItemIcons(const std::filesystem::path& folder);

}  // namespace artgen
