// The main window: the alphabet, the length and the password, the four commands and the banner.
#pragma once

#include <memory>
#include <string>

#include "banner/banner_win.h"
#include "controls/controls_win.h"
#include "controls/spin_edit_win.h"
#include "passwords/crypto_source_win.h"
#include "toolkit/timer_win.h"

class TsSkinManager : public TObject {
public:
  std::wstring SkinName = L"Windows 8 (internal)";
  bool Active = true;
};

class TMainForm : public TForm {
public:
  TMainForm();

  TsGroupBox sGroupBox1;
  TsEdit EditMask;
  TsSpinEdit sSpinEdit1;
  TsEdit EditPass;
  TsPanel sPanel1;
  TsButton BtnGen;
  TsButton BtnAbout;
  TsButton BtnExit;
  TsAlphaImageList sAlphaImageList1;
  TLabel LabelReclam;
  TTimer TimerReklamUpdate;
  TTimer TimerReklamChange;
  TsButton BtnGenFile;
  TsSkinManager sSkinManager1;

  void BtnExitClick(TObject* Sender);
  void BtnAboutClick(TObject* Sender);
  void FormCreate(TObject* Sender);
  void BtnGenClick(TObject* Sender);
  void BtnGenFileClick(TObject* Sender);
  void TimerReklamChangeTimer(TObject* Sender);
  void TimerReklamUpdateTimer(TObject* Sender);
  void LabelReclamMouseEnter(TObject* Sender);
  void LabelReclamMouseLeave(TObject* Sender);
  void LabelReclamClick(TObject* Sender);
  // The completion handler of the banner download worker; GUI thread.
  void thrTerminate(TObject* Sender);

  // Replaces Result with Count characters drawn from Text by Source, letting waiting messages
  // through during the generation and once after it; for Count <= 0 leaves Result as it was.
  // Source's random bytes are wiped on the way out.
  void GenRandomPass(std::wstring Text, std::int32_t Count, std::wstring& Result, TDrawSource& Source);

  // Writes PassCount passwords to FileName, one a line, as a line list writes them (the active
  // ANSI code page, or UTF-16 where it lacks a character): each drawn from the alphabet and length
  // the fields hold at that moment, with waiting messages let through meanwhile, the save
  // included. The list is saved also when the generation failed; the
  // save's failure wins. A count of 0 or less only shows the invalid-count box. The passwords in
  // memory and the source's random bytes are wiped on the way out. Throws the failures of the
  // file layer and of the generation.
  void GenRandomFile(const std::wstring& FileName, std::int32_t PassCount);

  // The source the commands draw passwords from: the system's cryptographic generator.
  TDrawSource& PasswordSource() noexcept { return *password_source_; }
  void SetPasswordSource(std::unique_ptr<TDrawSource> source) { password_source_ = std::move(source); }

private:
  std::unique_ptr<TDrawSource> password_source_ = std::make_unique<TCryptoDrawSource>();
  // The banner's behaviour behind the label and timer handlers above.
  TBanner banner_{*this, LabelReclam, TimerReklamUpdate, TimerReklamChange};
};

extern TMainForm* MainForm;
