#pragma once
// Window classes and dialog ids of the watcher's windows. Its end-to-end
// tests find the controls by them, so they are part of the windows' outside.

constexpr const char* kSettingsFormClass = "TSettings";
constexpr const char* kProxyFormClass = "TProxy";
constexpr const char* kInfosFormClass = "TInfos";

// Held by the running watcher for its whole life. "Local\\" makes the name
// one per log-on session: two users of one machine each run their own.
constexpr const char* kInstanceMutexName = "Local\\Tarvik.Orvandel.Instance";

// The tray icon's id and callback message.
constexpr unsigned kTrayIconID = 100;
constexpr unsigned kTrayCallbackMessage = 0x0400 + 20;  // WM_USER + 20
// Posted by the settings window to itself: an error waits to be shown.
constexpr unsigned kShowErrorMessage = 0x0400 + 21;

enum SettingsControlId {
  idGroupBox1 = 1001, idGroupBox2, idGroupBox3,
  idLabel1, idLabel2, idLabel3, idLabel4, idLabel5, idLabel6, idLabel7, idLabel8, idLabel9,
  idEdit1, idEdit2, idEdit3, idEdit4, idEdit5, idEdit6, idEdit7,
  idSpinEdit1, idSpinEdit2,
  idCheckBox1, idCheckBox2, idCheckBox3, idCheckBox4, idCheckBox5,
  idRadioButton1, idRadioButton2, idSpeedButton1,
  idBitBtn1, idBitBtn2, idBitBtn3,
};

enum ProxyControlId {
  idProxyCheckBox1 = 1101, idProxyLabel1, idProxyLabel2, idProxyLabel3, idProxyLabel4,
  idProxyEdit1, idProxyEdit2, idProxyEdit3, idProxyEdit4, idProxyBitBtn1, idProxyBitBtn2,
};

enum InfosControlId {
  idInfosLabel1 = 1201, idInfosLabel2, idInfosLabel5, idInfosLabel6, idInfosLabel7,
  idInfosI1, idInfosI2, idInfosI3, idInfosL1, idInfosL2, idInfosL3, idInfosImage1, idInfosImage8, idInfosBitBtn1,
};
