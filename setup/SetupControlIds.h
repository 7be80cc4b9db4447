#pragma once
// Dialog ids of the installer window's controls. Its test driver finds the
// controls by them, so they are part of the window's outside.

constexpr const char* kMainFormClass = "TMain";
constexpr const char* kInfosFormClass = "TInfos";

enum SetupControlId {
  idLabel1 = 1001,
  idEdit1 = 1002,
  idSpeedButton1 = 1003,
  idMemo1 = 1004,
  idCheckBox2 = 1005,
  idCheckBox1 = 1006,
  idBitBtn1 = 1007,
  idBitBtn3 = 1008,
  idBitBtn2 = 1009,
  idImage1 = 1010,
  // The info dialog.
  idInfoLabel1 = 1101,
  idInfoLabel2 = 1102,
  idInfoBitBtn1 = 1103,
};
