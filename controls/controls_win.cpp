// The buttons are owner-drawn from the skin's colours and the image list; the edits route every
// cut, copy and paste through their messages, so that one check sees them all.
#include "controls/controls_win.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <new>

#include "toolkit/dc_win.h"
#include "toolkit/scope_exit.h"
#include "toolkit/secure_wipe.h"

namespace {

// The form a control stands in: the nearest form among its parents.
TForm* FormOf(TWinControl& control) {
  for (TWinControl* c = &control; c; c = c->Parent()) {
    if (auto* form = dynamic_cast<TForm*>(c)) return form;
  }
  return nullptr;
}

// The clipboard, open for this scope: closed on every way out, so no failure keeps it from the
// other programs.
class TOpenClipboard {
public:
  explicit TOpenClipboard(HWND owner) : open_(::OpenClipboard(owner) != FALSE) {}
  TOpenClipboard(const TOpenClipboard&) = delete;
  TOpenClipboard& operator=(const TOpenClipboard&) = delete;
  ~TOpenClipboard() {
    if (open_) ::CloseClipboard();
  }
  explicit operator bool() const noexcept { return open_; }

private:
  bool open_;
};

// Puts bytes on the open clipboard in format; false when the system refuses, which leaves the
// clipboard as it was.
bool PutOnClipboard(UINT format, const void* data, std::size_t size) {
  HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, size);
  if (!memory) return false;
  void* target = ::GlobalLock(memory);
  if (!target) {
    ::GlobalFree(memory);
    return false;
  }
  std::memcpy(target, data, size);
  ::GlobalUnlock(memory);
  if (!::SetClipboardData(format, memory)) {
    ::GlobalFree(memory);
    return false;
  }
  return true;  // the clipboard owns the memory now
}

}  // namespace

UINT ClipboardMessage(TClipboardCommand command) noexcept {
  switch (command) {
    case TClipboardCommand::Cut: return WM_CUT;
    case TClipboardCommand::Copy: return WM_COPY;
    case TClipboardCommand::Paste: return WM_PASTE;
    case TClipboardCommand::None: break;
  }
  return 0;
}

// ---------------------------------------------------------------------------------------------
// TEdit

void TEdit::Create(TContainer& parent, const TRect96& bounds, const TFontSpec& font, const Style& style) {
  DWORD s = WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL;
  if (!style.sunken_border) s |= WS_BORDER;
  if (style.read_only) s |= ES_READONLY;
  if (style.numbers_only) s |= ES_NUMBER;
  if (style.multi_line) s |= ES_MULTILINE | WS_CLIPCHILDREN;
  s |= style.alignment == TAlignment::Center ? ES_CENTER : style.alignment == TAlignment::Right ? ES_RIGHT : ES_LEFT;
  CreateSystemWindow(WC_EDITW, s, style.sunken_border ? WS_EX_CLIENTEDGE : 0, &parent, bounds);
  SetFont(font);
  SetMaxLength(0);
}

bool TEdit::ReadOnly() const noexcept { return ::GetWindowLongW(Handle(), GWL_STYLE) & ES_READONLY; }
void TEdit::SetReadOnly(bool read_only) { ::SendMessageW(Handle(), EM_SETREADONLY, read_only ? TRUE : FALSE, 0); }
bool TEdit::NumbersOnly() const noexcept { return ::GetWindowLongW(Handle(), GWL_STYLE) & ES_NUMBER; }

void TEdit::SetMaxLength(int length) {
  // 0 lifts the system's default limit of 30,000 typed characters.
  ::SendMessageW(Handle(), EM_SETLIMITTEXT, static_cast<WPARAM>(std::max(length, 0)), 0);
}

void TEdit::SetPlaceholder(const std::wstring& text) {
  ::SendMessageW(Handle(), EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
}

// The caret goes to the start, so a long text shows its beginning while all of it is selected.
void TEdit::SelectAll() { SetSelection(::GetWindowTextLengthW(Handle()), 0); }
void TEdit::SetSelection(int start, int end) { ::SendMessageW(Handle(), EM_SETSEL, start, end); }

std::pair<int, int> TEdit::Selection() const {
  DWORD start = 0, end = 0;
  ::SendMessageW(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  return {static_cast<int>(start), static_cast<int>(end)};
}

void TEdit::CopyToClipboard() { ::SendMessageW(Handle(), WM_COPY, 0, 0); }

bool TEdit::CopySelectionPrivately() {
  const auto [start, end] = Selection();
  if (start >= end) return false;  // an empty selection leaves the clipboard as it was
  // The text is the password: both copies are wiped on every way out.
  std::wstring all = Text(), text;
  const TScopeExit wipe([&all, &text] {
    SecureWipe(all);
    SecureWipe(text);
  });
  text = all.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(end - start));
  const TOpenClipboard clipboard(Handle());
  if (!clipboard || !::EmptyClipboard()) return false;  // busy: the copy fails as the system's own would
  // The text and the marks that keep it out of the clipboard history and the cloud clipboard go
  // in one transaction; when any of them is refused, nothing is left, so the text is never
  // published unmarked.
  const DWORD no = 0;
  const bool put = PutOnClipboard(CF_UNICODETEXT, text.c_str(), (text.size() + 1) * sizeof(wchar_t)) &&
                   PutOnClipboard(::RegisterClipboardFormatW(L"ExcludeClipboardContentFromMonitorProcessing"), &no,
                                  sizeof no) &&
                   PutOnClipboard(::RegisterClipboardFormatW(L"CanIncludeInClipboardHistory"), &no, sizeof no) &&
                   PutOnClipboard(::RegisterClipboardFormatW(L"CanUploadToCloudClipboard"), &no, sizeof no);
  if (!put) ::EmptyClipboard();
  return put;
}

void TEdit::CutSelectionPrivately() {
  if (!CopySelectionPrivately() || ReadOnly()) return;
  // What the edit's own cut does after its copy: the selection replaced by nothing, undoable.
  ::SendMessageW(Handle(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L""));
}

LRESULT TEdit::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      mouse_focusing_ = true;
      // The second click of a double click arrives as a double click even when the focus moved
      // away between the clicks (a click, Tab, a click); the edit control then selects a word
      // without taking the focus. Taken as the press it is, it gives the field the focus.
      if (msg == WM_LBUTTONDBLCLK && ::GetFocus() != Handle()) msg = WM_LBUTTONDOWN;
      const LRESULT result = DefProc(msg, wp, lp);
      mouse_focusing_ = false;
      return result;
    }
    case WM_SETFOCUS: {
      const LRESULT result = DefProc(msg, wp, lp);
      if (SelectOnFocus(mouse_focusing_)) SelectAll();
      return result;
    }
    case WM_SETTEXT:
      // A multi-line edit sends no change notification for a text set this way.
      ++text_version_;
      break;
    case WM_COPY:
      if (PrivateClipboard) {
        CopySelectionPrivately();
        return 0;
      }
      break;
    case WM_KEYDOWN:
      // The edit control may answer Shift+Del, Ctrl+Ins and Shift+Ins by cutting, copying or
      // pasting inside itself, past WM_CUT, WM_COPY and WM_PASTE (Wine's does): the keys take
      // the messages, so what a field does with them (a private copy, a checked paste) holds
      // for every way of asking.
      if (wp == VK_DELETE || wp == VK_INSERT) {
        const TClipboardCommand command =
            ClipboardKeyCommand(wp == VK_DELETE ? TEditKey::Delete : TEditKey::Insert, ::GetKeyState(VK_SHIFT) < 0,
                                ::GetKeyState(VK_CONTROL) < 0);
        if (command != TClipboardCommand::None) return ::SendMessageW(Handle(), ClipboardMessage(command), 0, 0);
      }
      break;
    case WM_CUT:
      // Ctrl+X and the context menu's Cut arrive here, and Shift+Del by the key-down above.
      if (PrivateClipboard) {
        CutSelectionPrivately();
        return 0;
      }
      break;
    default:
      break;
  }
  return DefProc(msg, wp, lp);
}

bool TEdit::Reflect(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  switch (msg) {
    case WM_COMMAND:
      if (HIWORD(wp) == EN_CHANGE) {
        ++text_version_;
        Fire(OnChange, this);
        result = 0;
        return true;
      }
      return false;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC: {
      const auto dc = reinterpret_cast<HDC>(wp);
      const TSkinColors skin = Skin(Section());
      ::SetTextColor(dc, Enabled() ? SkinTextColor(Section(), Font().color) : skin.disabled_text);
      ::SetBkColor(dc, skin.face);
      ::SetDCBrushColor(dc, skin.face);
      result = reinterpret_cast<LRESULT>(::GetStockObject(DC_BRUSH));
      return true;
    }
    default:
      return TWinControl::Reflect(msg, wp, lp, result);
  }
}

// ---------------------------------------------------------------------------------------------
// TsEdit

void TsEdit::PaintFrame() {
  const TWindowDC window_dc(Handle(), true);
  const HDC dc = window_dc.Get();
  RECT r, client;
  ::GetWindowRect(Handle(), &r);
  ::GetClientRect(Handle(), &client);
  ::MapWindowPoints(Handle(), nullptr, reinterpret_cast<POINT*>(&client), 2);
  ::OffsetRect(&client, -r.left, -r.top);
  ::OffsetRect(&r, -r.left, -r.top);
  const TSkinColors skin = Skin(Section());
  // A border wider than the frame line is filled with the field's face, so it reads as padding.
  const int saved = ::SaveDC(dc);
  ::ExcludeClipRect(dc, client.left, client.top, client.right, client.bottom);
  FillSolid(dc, r, skin.face);
  ::RestoreDC(dc, saved);
  FrameSolid(dc, r, BorderColor(skin, EditFrameState(Focused(), hot_, Enabled())));
}

LRESULT TsEdit::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_NCPAINT:
      PaintFrame();
      return 0;
    case WM_PAINT: {
      // The edit takes WS_BORDER away at creation and draws its own line inside the client
      // area at every paint: the skin's frame goes over it, or focus and hover never show.
      const LRESULT result = TEdit::WndProc(msg, wp, lp);
      if (Handle()) PaintFrame();
      return result;
    }
    case WM_MOUSEMOVE:
      if (!hot_) {
        hot_ = true;
        TrackPointerLeave(Handle());
        PaintFrame();
      }
      break;
    case WM_MOUSELEAVE:
      hot_ = false;
      PaintFrame();
      break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE: {
      const LRESULT result = TEdit::WndProc(msg, wp, lp);
      if (Handle()) PaintFrame();
      return result;
    }
    default:
      break;
  }
  return TEdit::WndProc(msg, wp, lp);
}

// ---------------------------------------------------------------------------------------------
// TsButton

void TsButton::Create(TContainer& parent, const TRect96& bounds, const std::wstring& caption, const TFontSpec& font,
                      const TsAlphaImageList* images, int image_index) {
  images_ = images;
  image_index_ = image_index;
  CreateSystemWindow(WC_BUTTONW, WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW, 0, &parent, bounds);
  SetFont(font);
  SetText(caption);
}

void TsButton::Click() {
  if (ModalResult != mrNone) {
    if (TForm* form = FormOf(*this)) form->SetModalResult(ModalResult);
  }
  Fire(OnClick, this);
}

bool TsButton::Reflect(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  if (msg == WM_COMMAND && HIWORD(wp) == BN_CLICKED) {
    result = 0;
    Click();
    return true;
  }
  if (msg == WM_DRAWITEM) {
    Draw(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
    result = TRUE;
    return true;
  }
  return TWinControl::Reflect(msg, wp, lp, result);
}

LRESULT TsButton::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_LBUTTONDBLCLK:
      // An owner-drawn button reports the second click of a double click without a press: no
      // focus, no pressed look. Taken as the press it is, it clicks as any click does.
      return DefProc(WM_LBUTTONDOWN, wp, lp);
    case WM_MOUSEMOVE:
      if (!hot_) {
        hot_ = true;
        TrackPointerLeave(Handle());
        ::InvalidateRect(Handle(), nullptr, FALSE);
      }
      break;
    case WM_MOUSELEAVE:
      hot_ = false;
      ::InvalidateRect(Handle(), nullptr, FALSE);
      break;
    case WM_ERASEBKGND:
      return 1;
    default:
      break;
  }
  return DefProc(msg, wp, lp);
}

void TsButton::Draw(const DRAWITEMSTRUCT& item) {
  const HDC dc = item.hDC;
  const RECT r = item.rcItem;
  const TSkinColors skin = Skin(TSkinSection::Button);
  const bool focused = item.itemState & ODS_FOCUS;
  const TButtonLook look = PushButtonLook(item.itemState & ODS_SELECTED, hot_, focused, item.itemState & ODS_DISABLED,
                                          item.itemState & ODS_NOFOCUSRECT);
  const COLORREF border = BorderColor(skin, look.border);
  FillSolid(dc, r, FaceColor(skin, look.face));
  FrameSolid(dc, r, border);
  if (look.double_frame) {
    RECT inner = r;
    ::InflateRect(&inner, -1, -1);
    FrameSolid(dc, inner, border);
  }

  const std::wstring caption = IconOnly ? std::wstring() : Text();
  const UINT dpi = Dpi();
  const int icon = (images_ && image_index_ >= 0) ? images_->SizeFor(dpi) : 0;
  const int gap = (icon && !caption.empty()) ? Scale(6) : 0;
  const TSelection font(dc, FontHandle());
  SIZE text{0, 0};
  if (!caption.empty()) ::GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &text);
  const TButtonContent at = ButtonContent(BoxOf(r), icon, gap, text.cx);
  if (icon) images_->Draw(dc, image_index_, at.image_left, at.image_top, dpi);
  if (!caption.empty()) {
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, look.disabled_text ? skin.disabled_text : skin.text);
    RECT tr{at.text_left, r.top, r.right, r.bottom};
    ::DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &tr, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  }
  if (look.focus_rect) {
    RECT fr = r;
    ::InflateRect(&fr, -Scale(3), -Scale(3));
    ::DrawFocusRect(dc, &fr);
  }
}

// ---------------------------------------------------------------------------------------------
// TsPanel, TsGroupBox

void TsPanel::Create(TContainer& parent, const TRect96& bounds) {
  RegisterContainerClass();
  CreateOwnWindow(kClassName, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, WS_EX_CONTROLPARENT, &parent,
                  bounds);
}

void TsGroupBox::Create(TContainer& parent, const TRect96& bounds, const std::wstring& caption, const TFontSpec& font) {
  RegisterContainerClass();
  CreateOwnWindow(kClassName, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, WS_EX_CONTROLPARENT, &parent,
                  bounds);
  SetFont(font);
  SetText(caption);
}

void TsGroupBox::PaintBackground(HDC dc, const RECT& client) {
  const TSkinColors skin = Skin(Section());
  FillSolid(dc, client, skin.face);
  const std::wstring caption = Text();
  const TSelection font(dc, FontHandle());
  TEXTMETRICW tm;
  ::GetTextMetricsW(dc, &tm);
  SIZE text{0, 0};
  ::GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &text);
  // The frame runs through the middle of the caption line; the caption interrupts it.
  const int line = tm.tmHeight / 2;
  FrameSolid(dc, RECT{client.left, client.top + line, client.right, client.bottom}, skin.border);
  const int left = Scale(8);
  FillSolid(dc, RECT{left - Scale(2), client.top, left + text.cx + Scale(2), client.top + tm.tmHeight}, skin.face);
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, SkinTextColor(Section(), Font().color));
  ::TextOutW(dc, left, client.top, caption.c_str(), static_cast<int>(caption.size()));
}

// ---------------------------------------------------------------------------------------------
// TsAlphaImageList

TsAlphaImageList::TsAlphaImageList(std::vector<int> resource_ids, int size) : ids_(std::move(resource_ids)), size_(size) {}

HICON TsAlphaImageList::Icon(int index, UINT dpi) const {
  if (index < 0 || index >= Count()) return nullptr;
  if (loaded_dpi_ != dpi) {
    icons_.clear();
    const int px = SizeFor(dpi);
    for (int id : ids_) {
      icons_.emplace_back(static_cast<HICON>(
          ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, px, px, LR_DEFAULTCOLOR)));
    }
    loaded_dpi_ = dpi;
  }
  return icons_[static_cast<std::size_t>(index)].Get();
}

void TsAlphaImageList::Draw(HDC dc, int index, int x, int y, UINT dpi) const {
  if (HICON icon = Icon(index, dpi)) {
    const int px = SizeFor(dpi);
    ::DrawIconEx(dc, x, y, icon, px, px, 0, nullptr, DI_NORMAL);
  }
}

// ---------------------------------------------------------------------------------------------
// TLabel

void TLabel::Create(TContainer& parent, const TRect96& bounds, const std::wstring& text, const TFontSpec& font,
                    const Style& style) {
  text_ = text;
  font_spec_ = font;
  style_ = style;
  Place(&parent, bounds);
}

void TLabel::SetText(std::wstring text) {
  if (text == text_) return;
  text_ = std::move(text);
  Invalidate();
}

void TLabel::SetFont(const TFontSpec& font) {
  if (font == font_spec_) return;
  font_spec_ = font;
  font_.Reset();
  font_dpi_ = 0;
  Invalidate();
}

void TLabel::ApplyDpi(UINT) {
  font_.Reset();
  font_dpi_ = 0;
}

HFONT TLabel::FontFor(UINT dpi) const {
  if (font_dpi_ != dpi || !font_) {
    font_ = CreateFontFor(font_spec_, dpi);
    font_dpi_ = dpi;
  }
  return font_.Get();
}

UINT TLabel::Format() const {
  UINT f = DT_NOPREFIX;
  f |= style_.alignment == TAlignment::Center  ? DT_CENTER
       : style_.alignment == TAlignment::Right ? DT_RIGHT
                                               : DT_LEFT;
  if (style_.word_wrap) {
    f |= DT_WORDBREAK;
  } else if (style_.single_line) {
    f |= DT_SINGLELINE;
    if (style_.vertical_center) f |= DT_VCENTER;
  }
  return f;
}

int TLabel::TextHeight96() const {
  const UINT dpi = Parent() ? Parent()->Dpi() : 96;
  const TWindowDC screen(nullptr);
  const TSelection font(screen.Get(), FontFor(dpi));
  RECT r{0, 0, ScaleTo(Bounds96().width, dpi), 0};
  ::DrawTextW(screen.Get(), text_.c_str(), static_cast<int>(text_.size()), &r, Format() | DT_CALCRECT);
  return ::MulDiv(r.bottom - r.top, 96, static_cast<int>(dpi));
}

void TLabel::Paint(HDC dc, const RECT& bounds) {
  const UINT dpi = Parent() ? Parent()->Dpi() : 96;
  const TSelection font(dc, FontFor(dpi));
  ::SetBkMode(dc, TRANSPARENT);
  if (HighContrast()) {
    const TSkinColors skin = Skin(Parent() ? Parent()->Section() : TSkinSection::Form);
    FillSolid(dc, bounds, skin.face);
    ::SetTextColor(dc, style_.link ? ::GetSysColor(COLOR_HOTLIGHT) : skin.text);
  } else {
    ::SetTextColor(dc, font_spec_.color == kSystemTextColor ? SkinFontColor() : font_spec_.color);
  }
  RECT r = bounds;
  ::DrawTextW(dc, text_.c_str(), static_cast<int>(text_.size()), &r, Format());
}

// ---------------------------------------------------------------------------------------------
// TImage

void TImage::Create(TContainer& parent, const TRect96& bounds) { Place(&parent, bounds); }

void TImage::SetPicture(TUniqueBitmap bitmap) {
  bitmap_ = std::move(bitmap);
  Invalidate();
}

void TImage::SetPictureSource(TPictureSource source) {
  source_ = std::move(source);
  picture_dpi_ = 0;
  ApplyDpi(Parent() ? Parent()->Dpi() : 96);
}

void TImage::ApplyDpi(UINT dpi) {
  if (!source_ || dpi == picture_dpi_) return;
  SetPicture(source_(dpi));
  picture_dpi_ = dpi;
}

void TImage::Paint(HDC dc, const RECT& bounds) {
  if (!bitmap_) return;
  BITMAP info{};
  ::GetObjectW(bitmap_.Get(), sizeof info, &info);
  const TMemoryDC mem(dc, bitmap_.Get());
  // The picture is centred in the control.
  const int x = bounds.left + (bounds.right - bounds.left - info.bmWidth) / 2;
  const int y = bounds.top + (bounds.bottom - bounds.top - info.bmHeight) / 2;
  ::BitBlt(dc, x, y, info.bmWidth, info.bmHeight, mem.Get(), 0, 0, SRCCOPY);
}
