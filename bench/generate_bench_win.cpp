// Benchmark: one password of 10,000,000 characters from the default alphabet, drawn by the
// Generate command's generator inside a running message loop. Prints characters per second,
// the number of message passes and the longest time between two passes.
//   wine generate_bench.exe [characters]
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "app/main_form_win.h"
#include "toolkit/application_win.h"

int wmain(int argc, wchar_t** argv) {
  const long count = argc > 1 ? std::wcstol(argv[1], nullptr, 10) : 10'000'000;
  TApplication application;
  application.Title = L"Tarvelin";
  TMainForm form;
  form.Show();
  application.ProcessMessages();

  const std::wstring alphabet = form.EditMask.Text();
  std::wstring password;
  LARGE_INTEGER frequency, start, end;
  ::QueryPerformanceFrequency(&frequency);
  application.ResetPassStatistics();
  ::QueryPerformanceCounter(&start);
  form.GenRandomPass(alphabet, static_cast<std::int32_t>(count), password, form.PasswordSource());
  ::QueryPerformanceCounter(&end);

  const double seconds = static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
  std::printf("characters: %zu\nseconds: %.3f\ncharacters per second: %.1f million\n", password.size(), seconds,
              static_cast<double>(password.size()) / seconds / 1e6);
  std::printf("message passes: %llu\nlongest gap between passes: %.2f ms\n",
              static_cast<unsigned long long>(application.Passes()), application.LongestPassGapMs());
  return password.size() == static_cast<std::size_t>(count) ? 0 : 1;
}
