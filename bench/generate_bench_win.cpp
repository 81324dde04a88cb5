// Benchmark: one password of 10,000,000 characters from the default alphabet, drawn by the
// Generate command's generator inside a running message loop, five times. Prints for every run
// the characters per second, the number of message passes, the longest time between the ends of
// two passes and the longest pass itself, then the median speed and the worst gap of the runs.
//   wine generate_bench.exe [characters] [runs]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/main_form_win.h"
#include "toolkit/application_win.h"

int wmain(int argc, wchar_t** argv) {
  const long count = argc > 1 ? std::wcstol(argv[1], nullptr, 10) : 10'000'000;
  const long runs = std::max(argc > 2 ? std::wcstol(argv[2], nullptr, 10) : 5L, 1L);
  TApplication application;
  application.Title = L"Tarvelin";
  TMainForm form;
  form.Show();
  application.ProcessMessages();

  const std::wstring alphabet = form.EditMask.Text();
  LARGE_INTEGER frequency;
  ::QueryPerformanceFrequency(&frequency);
  std::vector<double> speeds, gaps, passes;
  int result = 0;
  for (long run = 1; run <= runs; ++run) {
    std::wstring password;
    LARGE_INTEGER start, end;
    application.ResetPassStatistics();
    ::QueryPerformanceCounter(&start);
    form.GenRandomPass(alphabet, static_cast<std::int32_t>(count), password, form.PasswordSource());
    ::QueryPerformanceCounter(&end);
    const double seconds =
        static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
    speeds.push_back(static_cast<double>(password.size()) / seconds / 1e6);
    gaps.push_back(application.LongestPassGapMs());
    passes.push_back(application.LongestPassMs());
    std::printf("run %ld: %zu characters in %.3f s, %.1f million per second, %llu message passes, longest gap %.2f ms, "
                "longest pass %.2f ms\n",
                run, password.size(), seconds, speeds.back(), static_cast<unsigned long long>(application.Passes()),
                gaps.back(), passes.back());
    if (password.size() != static_cast<std::size_t>(count)) result = 1;
  }
  std::vector<double> sorted = speeds;
  std::sort(sorted.begin(), sorted.end());
  std::printf("characters per second: median %.1f million (%.1f to %.1f) of %ld runs\n", sorted[sorted.size() / 2],
              sorted.front(), sorted.back(), runs);
  std::printf("longest gap between passes: %.2f ms (runs: %.2f to %.2f ms)\n",
              *std::max_element(gaps.begin(), gaps.end()), *std::min_element(gaps.begin(), gaps.end()),
              *std::max_element(gaps.begin(), gaps.end()));
  std::printf("longest pass: %.2f ms\n", *std::max_element(passes.begin(), passes.end()));
  return result;
}
