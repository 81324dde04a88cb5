// Benchmark: what the system alone costs, to set the program's figures beside.
//   wine system_floor.exe rng BYTES          -> "rng: <MB/s>": the system generator
//       (BCryptGenRandom, system-preferred) filling BYTES in blocks of 1 KiB
//   wine system_floor.exe file PATH COUNT LENGTH -> "file: <s>": the random bytes an alphabet of 62
//       needs at its entropy (log2 62 bits a character), expanded to COUNT lines of LENGTH letters
//       and CR LF (a store a letter, no fair draw) and written with one WriteFile
//   wine system_floor.exe gaps MS            -> "gaps: worst <ms> median <us>": the longest time
//       between two queue checks (GetQueueStatus, and PeekMessageW when something waits) of a
//       loop doing about 1 us of work between checks, for MS milliseconds
//   wine system_floor.exe memory BYTES       -> "memory: <ms>": taking BYTES of memory the process
//       never had (VirtualAlloc) and writing to each of its pages once, which a password of
//       BYTES / 2 characters needs as well
#include <windows.h>
#include <bcrypt.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

namespace {

using TGenRandom = LONG(WINAPI*)(void*, PUCHAR, ULONG, ULONG);

TGenRandom GenRandom() {
  const HMODULE module = ::LoadLibraryExW(L"bcrypt.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  return module ? reinterpret_cast<TGenRandom>(reinterpret_cast<void*>(::GetProcAddress(module, "BCryptGenRandom")))
                : nullptr;
}

double NowSeconds() {
  LARGE_INTEGER frequency, count;
  ::QueryPerformanceFrequency(&frequency);
  ::QueryPerformanceCounter(&count);
  return static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void Fill(TGenRandom gen, unsigned char* bytes, std::size_t size) {
  for (std::size_t at = 0; at < size; at += 1024) {
    gen(nullptr, bytes + at, static_cast<ULONG>(std::min<std::size_t>(1024, size - at)), BCRYPT_USE_SYSTEM_PREFERRED_RNG);
  }
}

int Generator(TGenRandom gen, std::size_t size) {
  std::vector<unsigned char> bytes(size);
  const double start = NowSeconds();
  Fill(gen, bytes.data(), size);
  std::printf("rng: %.1f MB/s\n", static_cast<double>(size) / (NowSeconds() - start) / 1e6);
  return 0;
}

int File(TGenRandom gen, const wchar_t* path, long long count, long long length) {
  static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  const double start = NowSeconds();
  const auto chars = static_cast<std::size_t>(count * length);
  const auto size = static_cast<std::size_t>(std::ceil(static_cast<double>(chars) * std::log2(62.0) / 8));
  std::vector<unsigned char> random(size + 8);
  Fill(gen, random.data(), size);
  std::vector<char> text(static_cast<std::size_t>(count * (length + 2)));
  std::size_t k = 0, at = 0;
  for (long long line = 0; line < count; ++line) {
    for (long long i = 0; i < length; ++i) text[at++] = kAlphabet[random[k++ % size] % 62];
    text[at++] = '\r';
    text[at++] = '\n';
  }
  const HANDLE file = ::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  if (file == INVALID_HANDLE_VALUE) return 1;
  const bool done = ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  ::CloseHandle(file);
  if (!done) return 1;
  std::printf("file: %.3f s\n", NowSeconds() - start);
  return 0;
}

int Gaps(double ms) {
  ::CreateWindowExW(0, L"STATIC", L"floor", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr, nullptr,
                    ::GetModuleHandleW(nullptr), nullptr);
  std::vector<double> gaps;
  volatile unsigned x = 1;
  const double start = NowSeconds();
  double last = start;
  while (last - start < ms / 1000) {
    for (int j = 0; j < 300; ++j) x = x * 1664525u + 1013904223u;  // about 1 us of work
    if (::GetQueueStatus(QS_ALLINPUT)) {
      MSG msg;
      while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
      }
    }
    const double now = NowSeconds();
    gaps.push_back(now - last);
    last = now;
  }
  std::sort(gaps.begin(), gaps.end());
  std::printf("gaps: worst %.2f ms median %.1f us\n", gaps.back() * 1e3, gaps[gaps.size() / 2] * 1e6);
  return 0;
}

int Memory(std::size_t size) {
  const double start = NowSeconds();
  auto* bytes = static_cast<volatile char*>(::VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  if (!bytes) return 1;
  for (std::size_t at = 0; at < size; at += 4096) bytes[at] = 1;
  std::printf("memory: %.1f ms\n", (NowSeconds() - start) * 1e3);
  ::VirtualFree(const_cast<char*>(bytes), 0, MEM_RELEASE);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring mode = argc > 1 ? argv[1] : L"";
  const TGenRandom gen = GenRandom();
  if (!gen) {
    std::puts("no BCryptGenRandom");
    return 1;
  }
  if (mode == L"rng" && argc == 3) return Generator(gen, static_cast<std::size_t>(_wtoi64(argv[2])));
  if (mode == L"file" && argc == 5) return File(gen, argv[2], _wtoi64(argv[3]), _wtoi64(argv[4]));
  if (mode == L"gaps" && argc == 3) return Gaps(std::wcstod(argv[2], nullptr));
  if (mode == L"memory" && argc == 3) return Memory(static_cast<std::size_t>(_wtoi64(argv[2])));
  std::fprintf(stderr, "usage: system_floor rng BYTES | file PATH COUNT LENGTH | gaps MS | memory BYTES\n");
  return 2;
}
