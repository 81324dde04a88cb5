// The toolkit's controls: edit fields, push buttons with images, panels, group boxes, labels,
// pictures and the image list the buttons draw from.
#pragma once

#include <functional>
#include <cstdint>
#include <string>
#include <vector>

#include "controls/edit_keys.h"
#include "controls/paint_rules.h"
#include "toolkit/form_win.h"
#include "toolkit/skin_win.h"
#include "toolkit/window_win.h"

enum class TAlignment { Left, Center, Right };

// WM_CUT, WM_COPY or WM_PASTE; 0 for none.
UINT ClipboardMessage(TClipboardCommand command) noexcept;

// A single-line edit field over the system's edit control.
class TEdit : public TWinControl {
public:
  struct Style {
    bool read_only = false;
    bool numbers_only = false;  // the system edit's digits-only style
    // Multi-line, for fields that keep their text clear of child windows with their own
    // formatting rectangle (their children are clipped); their typed-character filter keeps
    // the text to one line.
    bool multi_line = false;
    TAlignment alignment = TAlignment::Left;
    bool sunken_border = false;  // a two-pixel sunken border instead of a one-pixel line
  };

  void Create(TContainer& parent, const TRect96& bounds, const TFontSpec& font, const Style& style);

  bool ReadOnly() const noexcept;
  void SetReadOnly(bool read_only);
  bool NumbersOnly() const noexcept;
  void SetMaxLength(int length);
  // Faded text shown while the field is empty.
  void SetPlaceholder(const std::wstring& text);

  void SelectAll();
  void SetSelection(int start, int end);
  // Start and end of the selection, in code units.
  std::pair<int, int> Selection() const;
  // Asks the field to copy its selection to the clipboard (WM_COPY).
  void CopyToClipboard();
  // A number that changes whenever the text changes, so that a long loop which needs the
  // current text reads it from the window only when it is new.
  std::uint64_t TextVersion() const noexcept { return text_version_; }

  // Select the whole text when the field receives the focus (by default not on a mouse click).
  bool AutoSelect = true;
  // Copies and cuts of this field's selection carry the clipboard formats that keep them out of
  // the clipboard history and the cloud clipboard; for fields that show secrets.
  bool PrivateClipboard = false;
  // Raised whenever the text changes.
  TNotifyEvent OnChange;

protected:
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
  bool Reflect(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
  // Whether to select all when the focus arrives, by the mouse or otherwise.
  virtual bool SelectOnFocus(bool by_mouse) const { return AutoSelect && !by_mouse; }
  virtual TSkinSection Section() const { return TSkinSection::Edit; }

private:
  // Returns whether the selection is on the clipboard now.
  bool CopySelectionPrivately();
  // Copies privately, then deletes the selection as the edit's own cut does, undo included; a
  // selection that did not reach the clipboard stays, so a cut never loses it.
  void CutSelectionPrivately();

  bool mouse_focusing_ = false;
  std::uint64_t text_version_ = 0;
};

// The skinned edit field: a flat one-pixel frame that shows the pointer and the focus.
class TsEdit : public TEdit {
protected:
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
  void PaintFrame();

private:
  bool hot_ = false;
};

class TsAlphaImageList;

// A push button with an optional image beside its caption (or alone), drawn by the skin.
class TsButton : public TWinControl {
public:
  void Create(TContainer& parent, const TRect96& bounds, const std::wstring& caption, const TFontSpec& font,
              const TsAlphaImageList* images, int image_index);
  // Clicks the button: sets the window's modal result when ModalResult is set, then raises OnClick.
  virtual void Click();

  int ModalResult = mrNone;
  // Shows the image alone: the caption stays the window text, which names the button for
  // screen readers, but is not painted. Set before Create.
  bool IconOnly = false;
  TNotifyEvent OnClick;

protected:
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
  bool Reflect(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
  void Draw(const DRAWITEMSTRUCT& item);

  const TsAlphaImageList* images_ = nullptr;
  int image_index_ = -1;
  bool hot_ = false;
};

// A plain container drawn with the skin's "PANEL" section.
class TsPanel : public TContainer {
public:
  TsPanel() : TContainer(TSkinSection::Panel) {}
  void Create(TContainer& parent, const TRect96& bounds);
};

// A container with a frame and a caption, drawn with the skin's "GROUPBOX" section.
class TsGroupBox : public TContainer {
public:
  TsGroupBox() : TContainer(TSkinSection::GroupBox) {}
  void Create(TContainer& parent, const TRect96& bounds, const std::wstring& caption, const TFontSpec& font);

protected:
  void PaintBackground(HDC dc, const RECT& client) override;
};

// Images of one size at 96 dpi (32 x 32), loaded from icon resources at the size the dpi asks
// for, so they stay crisp.
class TsAlphaImageList : public TObject {
public:
  explicit TsAlphaImageList(std::vector<int> resource_ids, int size = 32);
  int Count() const noexcept { return static_cast<int>(ids_.size()); }
  int SizeFor(UINT dpi) const noexcept { return ScaleTo(size_, dpi); }
  // Draws image index at x, y at the size for dpi; nothing when the image is missing.
  void Draw(HDC dc, int index, int x, int y, UINT dpi) const;
  HICON Icon(int index, UINT dpi) const;

private:
  std::vector<int> ids_;
  int size_;
  mutable UINT loaded_dpi_ = 0;
  mutable std::vector<TUniqueIcon> icons_;
};


// A transparent text drawn by its container: one line or wrapped, left-aligned or centred. In
// high contrast it stands on a plate of its container's face, so it stays readable over a picture.
class TLabel : public TGraphicControl {
public:
  struct Style {
    TAlignment alignment = TAlignment::Left;
    bool vertical_center = false;
    bool word_wrap = false;
    bool single_line = true;  // false: a new line at each line break (CR, LF or CR LF)
    bool link = false;        // in high contrast drawn in the system's colour of links
  };

  void Create(TContainer& parent, const TRect96& bounds, const std::wstring& text, const TFontSpec& font,
              const Style& style);
  const std::wstring& Text() const noexcept { return text_; }
  void SetText(std::wstring text);
  const TFontSpec& Font() const noexcept { return font_spec_; }
  void SetFont(const TFontSpec& font);
  // The height in pixels at 96 dpi that the text needs at the label's width.
  int TextHeight96() const;

  void Paint(HDC dc, const RECT& bounds) override;
  void ApplyDpi(UINT dpi) override;

private:
  UINT Format() const;
  HFONT FontFor(UINT dpi) const;

  std::wstring text_;
  TFontSpec font_spec_;
  Style style_;
  mutable UINT font_dpi_ = 0;
  mutable TUniqueFont font_;
};

// A picture drawn by its container at its place, centred in it.
class TImage : public TGraphicControl {
public:
  // Draws a picture for a dpi: a bitmap of the picture's size at that dpi.
  using TPictureSource = std::function<TUniqueBitmap(UINT dpi)>;

  void Create(TContainer& parent, const TRect96& bounds);
  // Takes a bitmap whose size is the picture's size at the current dpi.
  void SetPicture(TUniqueBitmap bitmap);
  // Draws the picture with source now and again whenever the dpi changes, so it stays crisp.
  void SetPictureSource(TPictureSource source);
  void Paint(HDC dc, const RECT& bounds) override;
  void ApplyDpi(UINT dpi) override;

private:
  TUniqueBitmap bitmap_;
  TPictureSource source_;
  UINT picture_dpi_ = 0;
};
