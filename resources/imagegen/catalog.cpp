// Pictures, their sizes and the files made of them.
#include "resources/imagegen/catalog.h"

#include "resources/imagegen/drawings.h"
#include "resources/imagegen/ico.h"
#include "resources/imagegen/png.h"

namespace imagegen {

const std::vector<Picture>& Pictures() {
  // Buttons load the size that matches 32 px at 96, 120, 144 and 192 dots per inch.
  static const std::vector<int> kButton = {32, 40, 48, 64};
  static const std::vector<Picture> pictures = {
      {"tarvelin", DrawProgramIcon, {16, 32, 48, 256}, {32, 256}},
      {"gen", DrawGenerate, kButton, {32}},
      {"exit", DrawExit, kButton, {32}},
      {"about", DrawAbout, kButton, {32}},
      {"genfile", DrawGenFile, kButton, {32}},
      {"folder", DrawFolder, kButton, {32}},
      {"check_green", DrawCheckGreen, kButton, {32}},
  };
  return pictures;
}

std::vector<OutputFile> GenerateAll() {
  std::vector<OutputFile> icons;
  std::vector<OutputFile> previews;
  for (const Picture& picture : Pictures()) {
    std::vector<Image> entries;
    for (int size : picture.iconSizes) entries.push_back(picture.draw(size));
    // The program icon is read by the shell and other programs too; the button images only by
    // the program itself, so they are stored compactly.
    const IcoEntries kind = picture.name == "tarvelin" ? IcoEntries::BmpBelow256 : IcoEntries::AllPng;
    icons.push_back({picture.name + ".ico", EncodeIco(entries, kind)});
    for (int size : picture.previews) {
      previews.push_back({"png/" + picture.name + "_" + std::to_string(size) + ".png",
                          EncodePng(picture.draw(size))});
    }
  }
  icons.insert(icons.end(), previews.begin(), previews.end());
  return icons;
}

}  // namespace imagegen
