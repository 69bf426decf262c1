// The shared harness of every GUI test program: the application on Qt's
// offscreen platform (gui_test_main.cpp is the programs' main), bounded
// waits that keep the event loop running, windows found by name, message
// boxes answered by their buttons, dialogs acted on while they run modally,
// and screenshots of any window saved as PNG files.
#pragma once

#include <QMessageBox>
#include <QWidget>
#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/message_box.h"

namespace ui::testing {

inline constexpr std::chrono::milliseconds kDefaultWait{20000};

// Runs the event loop until the condition holds or the time is up; false
// when it never held.
bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout = kDefaultWait);

// The visible top-level window of that object name, or null.
QWidget* FindShownWindow(const QString& objectName);
// The message box being shown, or null.
QMessageBox* ShownMessageBox();
// Its text as GBK.
std::string BoxText(const QMessageBox* box);
// Clicks the box's button of the answer with the mouse; false when the box
// has no such button.
bool PressBoxButton(QMessageBox* box, Answer answer);

// Acts on the window of that name once it shows, also while another
// window's modal loop runs (a dialog's exec() in the code under test). The
// action runs at most once; the watch ends after the time-out.
void WhenShown(const QString& objectName, std::function<void(QWidget* window)> action,
               std::chrono::milliseconds timeout = kDefaultWait);
// Ends every watch still armed (WhenShown, WhenMessageBox).
void CancelWatches();
// Answers the next message box with the button; `seen` gets its text.
void WhenMessageBox(Answer answer, std::function<void(const std::string& text)> seen = {},
                    std::chrono::milliseconds timeout = kDefaultWait);

// Answers every message box that shows with the button, until the time is
// up or the watches are cancelled; `seen` gets each text.
void WhenMessageBoxes(Answer answer, std::function<void(const std::string& text)> seen = {},
                      std::chrono::milliseconds timeout = kDefaultWait);

// Saves what the window shows as a PNG file; false when it could not.
bool SaveWindowPng(QWidget* window, const std::string& path);
// Saves what the window shows as "<name>.png" in the screenshot folder
// (QUENTARA_SCREENSHOT_DIR, else the test's build folder); the file's path,
// empty when it could not be written.
std::string SaveScreenshot(QWidget* window, std::string_view name);
// The same of several windows as they lie on the screen, each drawn over
// those before it: a window with the popup menu it opened, a dialog over
// its owner.
std::string SaveScreenshot(const std::vector<QWidget*>& windows, std::string_view name);

}  // namespace ui::testing
