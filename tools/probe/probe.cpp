// wrenquil_probe: looks at and drives a running Wrenquil window from another process, one
// subcommand per call, for the black-box tests, the installer's tests, the demo and the
// benchmark (whose timings are its bench-* subcommands). Exit code 0 on success, 1 with a
// message on stderr when the check or the action failed, 2 for a wrong command line.
#include "res/resource.h"
#include "timing.h"
#include "window_driver.h"
#include "wrenquil_version.h"

#include <windows.h>

#include <shellapi.h>

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

namespace drive {
namespace {

constexpr char MAIN_WINDOW_TITLE[] = WRENQUIL_MAIN_WINDOW_TITLE;
constexpr char LOGIN_TITLE[] = "Login";
constexpr char DIALOG_CLASS[] = "#32770";
constexpr double DEFAULT_SECONDS = 10;

using Args = std::vector<std::string>;

struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Identifiers may be given by number or by their name in res/resource.h.
struct NamedId {
    const char* name;
    int id;
};
constexpr NamedId NAMED_IDS[] = {
    {"IDOK", IDOK},
    {"IDCANCEL", IDCANCEL},
    {"IDYES", IDYES},
    {"IDNO", IDNO},
    {"IDC_MESSAGE", IDC_MESSAGE},
    {"IDC_MOBILE", IDC_MOBILE},
    {"IDC_SEND", IDC_SEND},
    {"IDC_ADD_TRAY", IDC_ADD_TRAY},
    {"IDC_REMOVE_TRAY", IDC_REMOVE_TRAY},
    {"IDC_STATUSBAR", IDC_STATUSBAR},
    {"IDC_RUN_AT_STARTUP", IDC_RUN_AT_STARTUP},
    {"IDC_AUTO_LOGON", IDC_AUTO_LOGON},
    {"IDC_PREF_USERNAME", IDC_PREF_USERNAME},
    {"IDC_PREF_PASSWORD", IDC_PREF_PASSWORD},
    {"IDC_PREF_PHONE", IDC_PREF_PHONE},
    {"ID_MESSAGE_SEND", ID_MESSAGE_SEND},
    {"ID_MESSAGE_HIDE", ID_MESSAGE_HIDE},
    {"ID_MESSAGE_LOGIN", ID_MESSAGE_LOGIN},
    {"ID_MESSAGE_LOGOFF", ID_MESSAGE_LOGOFF},
    {"ID_MESSAGE_EXIT", ID_MESSAGE_EXIT},
    {"ID_OPTIONS_PREFERENCES", ID_OPTIONS_PREFERENCES},
    {"ID_HELP_ABOUT", ID_HELP_ABOUT},
};

long ParseInteger(const std::string& text, const char* what) {
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 0);
    if (text.empty() || *end != '\0') {
        throw UsageError(std::string(what) + " must be a number: '" + text + "'");
    }
    return value;
}

int ParseId(const std::string& text) {
    for (const NamedId& named : NAMED_IDS) {
        if (text == named.name) {
            return named.id;
        }
    }
    return static_cast<int>(ParseInteger(text, "ID"));
}

double ParseSeconds(const Args& args, std::size_t index) {
    if (index >= args.size()) {
        return DEFAULT_SECONDS;
    }
    char* end = nullptr;
    const double seconds = std::strtod(args[index].c_str(), &end);
    if (args[index].empty() || *end != '\0' || seconds < 0) {
        throw UsageError("seconds must be a number >= 0: '" + args[index] + "'");
    }
    return seconds;
}

// The rest of the command line from `first` on, so unquoted words make one text.
std::string JoinFrom(const Args& args, std::size_t first) {
    std::string text;
    for (std::size_t i = first; i < args.size(); ++i) {
        text += (i > first ? " " : "") + args[i];
    }
    return text;
}

std::string WindowText(HWND window) {
    const auto length = static_cast<std::size_t>(Send(window, WM_GETTEXTLENGTH, 0, 0));
    std::string text(length + 1, '\0');
    text.resize(static_cast<std::size_t>(
        Send(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
    return text;
}

// Like typing over the whole text: unlike WM_SETTEXT, the box raises its change notification.
void ReplaceText(HWND edit, const std::string& text) {
    Send(edit, EM_SETSEL, 0, -1);
    Send(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
}

// The program's own top-level dialog with this caption (another program may have one too).
HWND FindOwnDialog(DWORD processId, const char* caption) {
    HWND dialog = nullptr;
    while ((dialog = ::FindWindowExA(nullptr, dialog, DIALOG_CLASS, caption)) != nullptr) {
        if (ProcessOf(dialog) == processId && ::IsWindowVisible(dialog)) {
            return dialog;
        }
    }
    return nullptr;
}

std::string FormatSeconds(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%g s", seconds);
    return text;
}

void Print(const std::string& text) {
    std::printf("%s\n", text.c_str());
}
void PrintFlag(bool flag) {
    Print(flag ? "1" : "0");
}

// --- the subcommands -------------------------------------------------------------------------

void WaitWindow(const Args& args) {
    const double seconds = ParseSeconds(args, 0);
    if (!PollUntil(seconds, [] {
            HWND window = FindMainWindow();
            return window != nullptr && ::IsWindowVisible(window);
        })) {
        const bool hidden = FindMainWindow() != nullptr;
        throw DriveFailure(std::string(hidden ? "the window titled \"" : "no window titled \"") +
                           MAIN_WINDOW_TITLE + (hidden ? "\" is still hidden" : "\"") + " after " +
                           FormatSeconds(seconds));
    }
}

// Gone means the window destroyed and its process ended.
void WaitGone(const Args& args) {
    const double seconds = ParseSeconds(args, 0);
    HWND window = FindMainWindow();
    if (window == nullptr) {
        return;
    }
    HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, ProcessOf(window));
    const bool gone = PollUntil(seconds, [&] {
        return !::IsWindow(window) &&
               (process == nullptr || ::WaitForSingleObject(process, 0) == WAIT_OBJECT_0);
    });
    if (process != nullptr) {
        ::CloseHandle(process);
    }
    if (!gone) {
        throw DriveFailure(std::string(::IsWindow(window) ? "the window" : "its process") +
                           " is still there after " + FormatSeconds(seconds));
    }
}

void Status(const Args& args) {
    Print(StatusText(MainWindow(), static_cast<int>(ParseInteger(args[0], "PART"))));
}

void Text(const Args& args) {
    Print(WindowText(Control(MainWindow(), ParseId(args[0]))));
}

void SetText(const Args& args) {
    ReplaceText(Control(MainWindow(), ParseId(args[0])), JoinFrom(args, 1));
}

void Enabled(const Args& args) {
    PrintFlag(::IsWindowEnabled(Control(MainWindow(), ParseId(args[0]))) != FALSE);
}

void Visible(const Args&) {
    PrintFlag(::IsWindowVisible(MainWindow()) != FALSE);
}

void Iconic(const Args&) {
    PrintFlag(::IsIconic(MainWindow()) != FALSE);
}

void InFront(const Args&) {
    PrintFlag(::GetForegroundWindow() == MainWindow());
}

// What the title bar's minimise button does.
void Minimize(const Args&) {
    ::PostMessageA(MainWindow(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
}

void Command(const Args& args) {
    ::PostMessageA(MainWindow(), WM_COMMAND, MAKEWPARAM(ParseId(args[0]), 0), 0);
}

// What Ctrl+V in the box does.
void Paste(const Args& args) {
    Send(Control(MainWindow(), ParseId(args[0])), WM_PASTE, 0, 0);
}

void Click(const Args& args) {
    ClickButton(MainWindow(), ParseId(args[0]));
}

void Login(const Args& args) {
    HWND main = MainWindow();
    const DWORD processId = ProcessOf(main);
    ::PostMessageA(main, WM_COMMAND, MAKEWPARAM(ID_MESSAGE_LOGIN, 0), 0);
    HWND dialog = nullptr;
    if (!PollUntil(DEFAULT_SECONDS,
                   [&] { return (dialog = FindOwnDialog(processId, LOGIN_TITLE)) != nullptr; })) {
        throw DriveFailure("no Login dialog appeared (already logged in?)");
    }
    ReplaceText(Control(dialog, IDC_USERNAME), args[0]);
    ReplaceText(Control(dialog, IDC_PASSWORD), args[1]);
    ClickButton(dialog, IDOK);
    if (!PollUntil(DEFAULT_SECONDS, [&] { return !::IsWindow(dialog); })) {
        throw DriveFailure("the Login dialog stayed open (a message box in front of it?)");
    }
}

// A visible top-level window titled `title`, of any process (a dialog of the program, or its
// installer's window or message box), with control `id` shown and enabled; or nullptr.
HWND FindEnabledControl(const std::string& title, int id) {
    HWND window = nullptr;
    while ((window = ::FindWindowExA(nullptr, window, nullptr, title.c_str())) != nullptr) {
        HWND control = ::GetDlgItem(window, id);
        if (::IsWindowVisible(window) && control != nullptr && ::IsWindowVisible(control) &&
            ::IsWindowEnabled(control)) {
            return control;
        }
    }
    return nullptr;
}

// What a mouse click on the control does (BM_CLICK: a check box toggles, a button presses),
// once a window titled TITLE shows it enabled. What the click sets off (OK storing settings,
// say) may take a while on a busy machine: it too has SECONDS.
void DialogClick(const Args& args) {
    const int id = ParseId(args[1]);
    const double seconds = ParseSeconds(args, 2);
    HWND control = nullptr;
    if (!PollUntil(seconds,
                   [&] { return (control = FindEnabledControl(args[0], id)) != nullptr; })) {
        throw DriveFailure("no window titled \"" + args[0] + "\" with an enabled control " +
                           args[1] + " after " + FormatSeconds(seconds));
    }
    Send(control, BM_CLICK, 0, 0, std::max(ANSWER_MILLISECONDS, static_cast<UINT>(seconds * 1000)));
}

// A box of a window titled TITLE, once the window shows it: its text, or (with TEXT) its text
// replaced as typing would.
void DialogText(const Args& args) {
    const int id = ParseId(args[1]);
    HWND control = nullptr;
    if (!PollUntil(DEFAULT_SECONDS,
                   [&] { return (control = FindEnabledControl(args[0], id)) != nullptr; })) {
        throw DriveFailure("no window titled \"" + args[0] + "\" with an enabled control " +
                           args[1]);
    }
    if (args.size() > 2) {
        ReplaceText(control, JoinFrom(args, 2));
    } else {
        Print(WindowText(control));
    }
}

// The last text read (or why it could not be read) goes into the failure message.
void WaitStatus(const Args& args) {
    const int part = static_cast<int>(ParseInteger(args[0], "PART"));
    const double seconds = ParseSeconds(args, 2);
    std::string last;
    if (!PollUntil(seconds, [&] {
            try {
                last = "\"" + StatusText(MainWindow(), part) + "\"";
            } catch (const DriveFailure& e) {
                last = e.what();
            }
            return last == "\"" + args[1] + "\"";
        })) {
        throw DriveFailure("status part " + args[0] + " is " + last + ", not \"" + args[1] +
                           "\", after " + FormatSeconds(seconds));
    }
}

// TEXT as typed characters (each one a key press and release of its own, as an input method
// gives them) into the window with the keyboard focus.
// Taken from the wide command line: a character the code page has no place for is typed too.
void Type(const Args&) {
    int count = 0;
    wchar_t** words = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::wstring wide;
    for (int i = 2; i < count; ++i) {
        wide += (i > 2 ? L" " : L"") + std::wstring(words[i]);
    }
    ::LocalFree(words);
    for (const wchar_t c : wide) {
        INPUT keys[2] = {};
        for (INPUT& key : keys) {
            key.type = INPUT_KEYBOARD;
            key.ki.wScan = c;
            key.ki.dwFlags = KEYEVENTF_UNICODE;
        }
        keys[1].ki.dwFlags |= KEYEVENTF_KEYUP;
        ::SendInput(2, keys, sizeof keys[0]);
    }
}

void SetClipboard(const Args& args) {
    if (!SetClipboardText(JoinFrom(args, 0))) {
        throw DriveFailure("cannot put the text on the clipboard");
    }
}

// Another program's window with the program's title, as a folder or a console can have: shown
// for SECONDS, then the probe ends.
void Decoy(const Args& args) {
    const double seconds = ParseSeconds(args, 0);
    HWND decoy = ::CreateWindowExA(0, "STATIC", MAIN_WINDOW_TITLE, WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                   0, 0, 300, 100, nullptr, nullptr, nullptr, nullptr);
    if (decoy == nullptr) {
        throw DriveFailure("cannot make the window");
    }
    std::printf("shown\n");
    std::fflush(stdout);
    const ULONGLONG end = ::GetTickCount64() + static_cast<ULONGLONG>(seconds * 1000);
    for (ULONGLONG now = ::GetTickCount64(); now < end; now = ::GetTickCount64()) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::DispatchMessageA(&msg);
        }
    }
    ::DestroyWindow(decoy);
}

void Close(const Args&) {
    ::PostMessageA(MainWindow(), WM_CLOSE, 0, 0);
}

struct Subcommand {
    const char* name;
    const char* arguments;
    std::size_t minArgs;
    std::size_t maxArgs;
    void (*run)(const Args&);
};

constexpr std::size_t ANY_NUMBER = SIZE_MAX;

constexpr Subcommand SUBCOMMANDS[] = {
    {"wait-window", "[SECONDS]", 0, 1, WaitWindow},
    {"wait-gone", "[SECONDS]", 0, 1, WaitGone},
    {"status", "PART", 1, 1, Status},
    {"wait-status", "PART TEXT [SECONDS]", 2, 3, WaitStatus},
    {"text", "ID", 1, 1, Text},
    {"set-text", "ID TEXT", 1, ANY_NUMBER, SetText},
    {"enabled", "ID", 1, 1, Enabled},
    {"visible", "", 0, 0, Visible},
    {"iconic", "", 0, 0, Iconic},
    {"in-front", "", 0, 0, InFront},
    {"minimize", "", 0, 0, Minimize},
    {"command", "ID", 1, 1, Command},
    {"click", "ID", 1, 1, Click},
    {"paste", "ID", 1, 1, Paste},
    {"login", "USER PASSWORD", 2, 2, Login},
    {"dialog-click", "TITLE ID [SECONDS]", 2, 3, DialogClick},
    {"dialog-text", "TITLE ID [TEXT]", 2, ANY_NUMBER, DialogText},
    {"set-clipboard", "TEXT", 0, ANY_NUMBER, SetClipboard},
    {"type", "TEXT", 1, ANY_NUMBER, Type},
    {"close", "", 0, 0, Close},
    {"decoy", "[SECONDS]", 0, 1, Decoy},
    {"bench-startup", "ROUNDS LABEL=EXE...", 2, ANY_NUMBER, TimeStartup},
    {"bench-rest", "ROUNDS LABEL=EXE...", 2, ANY_NUMBER, MeasureRest},
    {"bench-send", "ROUNDS SOAK_ROUNDS SENDS LOG HOST PORT PATH BARE_EXE", 8, 8, TimeSends},
};

void PrintUsage() {
    std::fprintf(stderr, "usage: wrenquil_probe SUBCOMMAND [ARGUMENT...]\n");
    for (const Subcommand& subcommand : SUBCOMMANDS) {
        std::fprintf(stderr, "  %s%s%s\n", subcommand.name, *subcommand.arguments ? " " : "",
                     subcommand.arguments);
    }
    std::fprintf(stderr, "ID: a number or a name from res/resource.h (IDC_MESSAGE, ...)\n");
}

const Subcommand& FindSubcommand(const Args& commandLine) {
    if (commandLine.empty()) {
        throw UsageError("no subcommand");
    }
    for (const Subcommand& subcommand : SUBCOMMANDS) {
        if (commandLine[0] == subcommand.name) {
            const std::size_t count = commandLine.size() - 1;
            if (count < subcommand.minArgs || count > subcommand.maxArgs) {
                throw UsageError(std::string("usage: ") + subcommand.name + " " +
                                 subcommand.arguments);
            }
            return subcommand;
        }
    }
    throw UsageError("unknown subcommand '" + commandLine[0] + "'");
}

} // namespace
} // namespace drive

int main(int argc, char** argv) {
    using namespace drive;
    // Plain LF line ends: the callers are Linux scripts.
    _setmode(_fileno(stdout), _O_BINARY);
    const Args commandLine(argv + 1, argv + argc);
    try {
        const Subcommand& subcommand = FindSubcommand(commandLine);
        subcommand.run(Args(commandLine.begin() + 1, commandLine.end()));
        return 0;
    } catch (const UsageError& e) {
        std::fprintf(stderr, "wrenquil_probe: %s\n", e.what());
        PrintUsage();
        return 2;
    } catch (const DriveFailure& e) {
        std::fprintf(stderr, "wrenquil_probe %s: %s\n", commandLine[0].c_str(), e.what());
        return 1;
    }
}
