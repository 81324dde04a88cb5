// Benchmark: the password-file command's generation and save on the real main window, whose
// messages it lets through as it goes: count passwords of the length field's length from the
// default alphabet into a file. Prints the time and the peak memory beyond the idle process. The
// script beside it runs it as a whole process next to tr and pwgen.
//   wine password_file_bench.exe FILE [COUNT]
#include <windows.h>

#include <psapi.h>

#include <cstdio>
#include <cstdlib>

#include "app/main_form_win.h"
#include "toolkit/application_win.h"

namespace {

double PeakMegabytes() {
  PROCESS_MEMORY_COUNTERS counters{};
  ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters);
  return static_cast<double>(counters.PeakWorkingSetSize) / 1e6;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: password_file_bench FILE [COUNT]\n");
    return 2;
  }
  const std::wstring file = argv[1];
  const long count = argc > 2 ? std::wcstol(argv[2], nullptr, 10) : 1'000'000;
  TApplication application;
  application.Title = L"Tarvelin";
  application.MainFormOnTaskBar = true;
  TMainForm form;
  double idle = 0, seconds = 0;
  int result = 1;
  form.Show();
  application.ProcessMessages();
  idle = PeakMegabytes();
  LARGE_INTEGER frequency, t0, t1;
  ::QueryPerformanceFrequency(&frequency);
  ::QueryPerformanceCounter(&t0);
  try {
    form.GenRandomFile(file, static_cast<std::int32_t>(count));
    result = 0;
  } catch (...) {
    application.HandleException(std::current_exception());
  }
  ::QueryPerformanceCounter(&t1);
  seconds = static_cast<double>(t1.QuadPart - t0.QuadPart) / static_cast<double>(frequency.QuadPart);
  std::printf("passwords: %ld\ngeneration and save: %.3f s\npeak memory beyond the idle process: %.1f MB\n", count,
              seconds, PeakMegabytes() - idle);
  return result;
}
