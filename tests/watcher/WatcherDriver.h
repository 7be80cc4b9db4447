#pragma once
// Drives a running watcher from outside, as a user and the shell would:
// clicks, answers its questions, opens its menu, looks at its tray icon.

#include <windows.h>

#include <string>

#include "tools/driver/TrayRecorder.h"
#include "tools/driver/WatcherProcess.h"
#include "tools/driver/WindowDriver.h"

bool IsChecked(HWND button);
// Posts a click to a button (push, check or radio), as the mouse gives it.
void Click(HWND button);
// Clicks the button of a question and waits until the question is gone.
bool Answer(HWND dialog, int buttonId);
// Types a character into a menu that is open (its mnemonic chooses an item).
void MenuKey(HWND menu, char key);

// True when the icon has a pixel of this colour (within Tolerance per
// channel), fully opaque.
bool IconHasColour(const TrayRecord& record, int red, int green, int blue, int tolerance = 30);
