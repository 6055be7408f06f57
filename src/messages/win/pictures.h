// The pictures of the message windows, drawn with GDI shapes: the 64 x 64 list of the message
// dialog (error, question, warning, information; the same four again in the alarm look) and the
// shared 16 x 16 list of the image buttons.
#pragma once
#include "messages/win/window.h"

namespace tlx::win {

// Eight 64 x 64 pictures, masked: 0 error, 1 question, 2 warning, 3 information, 4..7 alarm look.
UniqueImageList MakeMessagePictures();

// The shared 16 x 16 list (picture N = image number N; 100 pictures), made on first use and kept
// until exit.
HIMAGELIST SharedImages16();

// A 32 x 32 icon for a message title kind (0 information, 1 warning, 2 error, 3 choice), made on
// first use and kept until exit.
HICON KindIcon(int kind);

}  // namespace tlx::win
