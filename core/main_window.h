// What the message logic needs of the main window. The Windows front end implements it over
// the real controls; tests implement it with a recorder, so the order of the steps is checked.
#pragma once

#include <optional>
#include <string>

namespace wrenquil {

struct LoginState;
struct PreferencesOutcome;

class MainWindow {
public:
    virtual ~MainWindow() = default;

    // Text lengths in bytes, as GetWindowTextLengthA reports them.
    virtual int MessageLength() = 0;
    virtual int MobileLength() = 0;

    virtual bool SendButtonEnabled() = 0;
    virtual void EnableSendButton(bool enabled) = 0;
    // An item of the "&Message" menu, by command.
    virtual void EnableMessageMenuItem(int commandId, bool enabled) = 0;
    virtual void SetStatusText(int part, const std::string& text) = 0;
    // Setting the mobile number box's text raises its change notification, as typing does.
    virtual void SetMobileText(const std::string& text) = 0;
    // The boxes' texts in the code page; none when a character of it has no place there.
    virtual std::optional<std::string> MessageText() = 0;
    virtual std::optional<std::string> MobileText() = 0;
    virtual void FocusMessageBox() = 0;
    // Handles the input that waited in the queue while the window was busy (e.g. a second click
    // on Send during a send), before what it would act on becomes available again.
    virtual void HandleInputMadeWhileBusy() = 0;
    // A message box owned by the main window, with an OK button and no icon.
    virtual void ShowMessage(const std::string& text, const std::string& caption) = 0;

    // 0 when accepted: the dialog has then stored a non-empty user name and password.
    virtual int RunLoginDialog(LoginState& state) = 0;
    virtual PreferencesOutcome RunPreferencesDialog() = 0;
};

} // namespace wrenquil
