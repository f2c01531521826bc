// The logged-in record and the transitions that change it, with what the main window shows
// for them: the Login, Logoff and Send enabling and the login text of the status bar.
#pragma once

#include <string>

namespace wrenquil {

class MainWindow;
struct Preferences;

// One record for the whole process. Logging in only keeps the credentials here: the gateway
// checks them when a message is sent.
struct LoginState {
    std::string userName;
    std::string password;
    std::string mobileNumber;
    int loggedIn = 0;
};

// What an accepted or cancelled Preferences dialog hands back. The dialog never writes the
// login record itself: the password in use changes only through an accepted Auto Logon.
struct PreferencesOutcome {
    int result = 1; // 0 when accepted, anything else when cancelled
    bool autoLogon = false;
    std::string userName;
    std::string password;
    std::string mobileNumber;
};

inline constexpr int LOGIN_STATUS_PART = 0;
inline constexpr char NOT_LOGGED_IN_TEXT[] = "Not logged in";
inline constexpr char LOGGED_OUT_TEXT[] = "You are not logged in, to login choose Message->Login";

std::string LoggedInStatusText(const std::string& userName);

bool SendAllowed(const LoginState& state, int messageLength, int mobileLength);

// Run during the main window's initialisation, after the settings are loaded; may show the
// Login dialog before the window is first shown.
void SetUpLoginState(LoginState& state, const Preferences& preferences, MainWindow& window);

void LoginCommand(LoginState& state, MainWindow& window);
void LogoffCommand(LoginState& state, MainWindow& window);
void PreferencesCommand(LoginState& state, MainWindow& window);
void MobileNumberChanged(const LoginState& state, MainWindow& window);

// The login record's share of an accepted Preferences dialog.
void ApplyAcceptedPreferences(LoginState& state, const PreferencesOutcome& outcome);

} // namespace wrenquil
