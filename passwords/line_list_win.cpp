// The list's code units are handed to the system's conversions as its wide characters, in place;
// every conversion buffer is cleared before it is freed.
#include <windows.h>

#include "passwords/line_list_win.h"

#include <algorithm>
#include <memory>
#include <span>
#include <string_view>
#include <utility>

#include "toolkit/secure_wipe.h"

namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "the system's wide characters are UTF-16 code units");

// The list's code units as the system's wide characters: handed over as they lie, never copied.
const wchar_t* SystemChars(const char16_t* text) noexcept { return reinterpret_cast<const wchar_t*>(text); }
wchar_t* SystemChars(char16_t* text) noexcept { return reinterpret_cast<wchar_t*>(text); }

// The system's conversions for one load or save, through one buffer that is cleared before it is
// freed.
class TSystemCodePages final : public TCodePages {
public:
  TSystemCodePages() = default;
  TSystemCodePages(const TSystemCodePages&) = delete;
  TSystemCodePages& operator=(const TSystemCodePages&) = delete;
  ~TSystemCodePages() override { SecureWipe(bytes_.get(), used_); }

  TCharBuffer<char16_t> FromAnsi(std::span<const std::uint8_t> bytes) override { return Widen(CP_ACP, 0, bytes); }
  TCharBuffer<char16_t> FromUtf8(std::span<const std::uint8_t> bytes) override {
    return Widen(CP_UTF8, MB_ERR_INVALID_CHARS, bytes);
  }

  bool HasExactAnsiForm(std::u16string_view text) override {
    const bool utf8 = ::GetACP() == CP_UTF8;
    BOOL used_default = FALSE;
    // UTF-8, named as itself, takes neither the best-fit flag nor the default-character question.
    const int bytes = ::WideCharToMultiByte(utf8 ? CP_UTF8 : CP_ACP, utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS,
                                            SystemChars(text.data()), static_cast<int>(text.size()), nullptr, 0,
                                            nullptr, utf8 ? nullptr : &used_default);
    return bytes > 0 && !used_default;
  }

  std::span<const std::uint8_t> ToAnsi(std::u16string_view text) override {
    if (text.empty()) return {};
    if (!bytes_) bytes_.reset(new char[kPieceBytes]);
    const int done = ::WideCharToMultiByte(CP_ACP, 0, SystemChars(text.data()), static_cast<int>(text.size()),
                                           bytes_.get(), static_cast<int>(kPieceBytes), nullptr, nullptr);
    if (done <= 0) throw EWriteError();
    used_ = std::max(used_, static_cast<std::size_t>(done));
    return {reinterpret_cast<const std::uint8_t*>(bytes_.get()), static_cast<std::size_t>(done)};
  }

private:
  // A code unit takes three bytes at most, in UTF-8 as the ANSI code page.
  static constexpr std::size_t kPieceBytes = 3 * kLineListPieceChars;

  // bytes converted from code_page. In the code pages Windows offers as the ANSI one and in UTF-8
  // every byte gives at most one UTF-16 unit, so one call into a buffer of one unit per byte does;
  // the measured size is the fallback. A refused conversion (invalid UTF-8 under
  // MB_ERR_INVALID_CHARS) gives an empty text.
  static TCharBuffer<char16_t> Widen(UINT code_page, DWORD flags, std::span<const std::uint8_t> bytes) {
    TCharBuffer<char16_t> text;
    if (bytes.empty()) return text;
    const auto* in = reinterpret_cast<const char*>(bytes.data());
    const int n = static_cast<int>(bytes.size());
    text.Reserve(bytes.size());
    int done = ::MultiByteToWideChar(code_page, flags, in, n, SystemChars(text.Data()), n);
    if (done == 0 && ::GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
      const int needed = ::MultiByteToWideChar(code_page, flags, in, n, nullptr, 0);
      if (needed > 0) {
        text.Reserve(static_cast<std::size_t>(needed));
        done = ::MultiByteToWideChar(code_page, flags, in, n, SystemChars(text.Data()), needed);
      }
    }
    text.SetSize(done > 0 ? static_cast<std::size_t>(done) : 0);
    return text;
  }

  std::unique_ptr<char[]> bytes_;
  std::size_t used_ = 0;
};

}  // namespace

void TLineList::SaveToFile(const std::wstring& file_name, const std::function<void()>& pump) const {
  TFileStream stream(file_name, GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS);
  SaveToStream(stream, pump);
}

void TLineList::LoadFromFile(const std::wstring& file_name) {
  TFileStream stream(file_name, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
  if (stream.Size() > kMaxLineListBytes) throw EFOpenError(stream.FullName(), kLineListTooLargeReason);
  LoadFromStream(stream);
}

void TLineList::SaveToStream(TStream& stream, const std::function<void()>& pump) const {
  TSystemCodePages code_pages;
  SaveToBytes(
      code_pages, [&stream](std::span<const std::uint8_t> bytes) { stream.WriteBuffer(bytes.data(), bytes.size()); },
      pump);
}

void TLineList::LoadFromStream(TStream& stream) {
  const std::int64_t position = stream.Position();
  const std::int64_t size = stream.Size();
  if (position < 0 || size < 0) throw EReadError();
  const std::int64_t rest = size > position ? size - position : 0;
  if (rest > kMaxLineListBytes) throw EReadError(kLineListStreamTooLargeMessage);

  const auto count = static_cast<std::size_t>(rest);
  TCharBuffer<std::uint8_t> bytes;
  bytes.Reserve(count);
  stream.ReadBuffer(bytes.Data(), count);
  bytes.SetSize(count);
  TSystemCodePages code_pages;
  LoadFromBytes(std::move(bytes), code_pages);
}
