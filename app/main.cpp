// Program entry: seeds the random source, builds the main window and runs the message loop.
#include <windows.h>

#include "passwords/random.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  SeedRandom();
  MessageBoxW(nullptr, L"Tarvelin", L"Tarvelin", MB_OK);
  return 0;
}
