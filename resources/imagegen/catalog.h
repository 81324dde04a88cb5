// The list of pictures and the files the generator writes for them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "resources/imagegen/image.h"

namespace imagegen {

struct Picture {
  std::string name;            // file name without extension
  Image (*draw)(int size);
  std::vector<int> iconSizes;  // entries of name.ico
  std::vector<int> previews;   // sizes of png/name_<size>.png
};

// Every picture of the program, in a fixed order.
const std::vector<Picture>& Pictures();

struct OutputFile {
  std::string path;  // relative, with '/' between folders
  std::vector<std::uint8_t> bytes;
};

// Every file of the images folder, in a fixed order: the icons, then the previews.
std::vector<OutputFile> GenerateAll();

}  // namespace imagegen
