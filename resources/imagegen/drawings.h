// The program's pictures, each drawn at any square size in pixels.
#pragma once

#include "resources/imagegen/image.h"

namespace imagegen {

Image DrawProgramIcon(int size);  // a blue disc bearing a grey six-armed asterisk
Image DrawGenerate(int size);     // a blue check mark
Image DrawExit(int size);         // a red disc with a white cross
Image DrawAbout(int size);        // a blue disc with a white letter i
Image DrawGenFile(int size);      // a blue floppy disk
Image DrawFolder(int size);       // a yellow folder
Image DrawCheckGreen(int size);   // a green check mark

}  // namespace imagegen
