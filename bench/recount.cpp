// The cost of one keystroke in the message box with a long message against an empty one: the
// real main window runs in this process and is typed into from its own thread (window_host.h),
// so each EM_REPLACESEL is a direct call that returns only after the box has changed, raised
// EN_CHANGE and the window has recounted.
//
//   bench_recount [LONG_LENGTH [KEYS [BLOCKS]]]
//
// Each block types KEYS single characters at the end of the message, each followed by an
// untimed deletion so the length stays put: from an empty box to 1 character, and from
// LONG_LENGTH - 1 to LONG_LENGTH characters (30,000 by default, the most the box takes: an edit
// box holds 30,000 characters unless told otherwise), the order alternating between blocks.
// One line per block and row on stdout: "recount ROW LENGTH MICROSECONDS", the median of the
// block's keys (or calls), LENGTH being the message's length once the key is in. Rows:
//   keystroke         EM_REPLACESEL in the message box (EN_CHANGE -> MessageTextChanged)
//   keystroke+paint   the same, then the box and the status bar repainted
//   plain_edit        EM_REPLACESEL in an edit box of the same style, size and font whose
//                     change nobody handles: what the edit control itself costs
//   plain_edit_lines  the same with the text in lines of one sentence each (CR LF after each)
//   recount_only      MessageTextChanged called directly
//   length_a          GetWindowTextLengthA on the message box (what the recount reads)
//   length_w          GetWindowTextLengthW on the message box, for comparison
//   plain_length_a    GetWindowTextLengthA on the other edit box (not subclassed)
//   plain_length_w    GetWindowTextLengthW on the other edit box
#include "core/counter.h"
#include "core/login_state.h"
#include "res/resource.h"
#include "shell/main_window/wrenquil_dlg.h"
#include "window_host.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace wrenquil {
namespace {

constexpr int kPlainEditId = 0x7F00; // no handler for its EN_CHANGE

struct Settings {
    int longLength = 30000;
    int keys = 25;
    int blocks = 24;
};

bool failed = false;

// Words and blanks, as a message has them: one paragraph, which the box wraps into lines.
// With `lineBreaks`, each sentence ends its own line instead.
std::string MessageOfLength(int length, bool lineBreaks = false) {
    const std::string sentence = "Meet you at the station at half past six, bring the tickets "
                                 "and an umbrella.";
    const std::string words = sentence + (lineBreaks ? "\r\n" : " ");
    std::string text;
    while (static_cast<int>(text.size()) < length) {
        text += words;
    }
    text.resize(static_cast<std::size_t>(length));
    return text;
}

// Puts `length` characters in the box (WM_SETTEXT: no change notification) with the caret at
// the end.
void Fill(HWND edit, int length, bool lineBreaks = false) {
    ::SetWindowTextA(edit, MessageOfLength(length, lineBreaks).c_str());
    ::SendMessageA(edit, EM_SETSEL, length, length);
}

double Median(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    const std::size_t n = samples.size();
    return n % 2 == 1 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2;
}

// `keys` keys at the end of the box, each timed (with `afterInsert`, when given) and followed
// by an untimed deletion; the median per key, so a moment's preemption by another process does
// not count.
double TypeKeys(HWND edit, int length, int keys, const std::function<void()>& afterInsert) {
    std::vector<double> samples;
    samples.reserve(static_cast<std::size_t>(keys));
    for (int i = 0; i < keys; ++i) {
        const double start = drive::NowMicroseconds();
        ::SendMessageA(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("x"));
        if (afterInsert) {
            afterInsert();
        }
        samples.push_back(drive::NowMicroseconds() - start);
        ::SendMessageA(edit, EM_SETSEL, length, length + 1);
        ::SendMessageA(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(""));
    }
    return Median(std::move(samples));
}

// The median time of one `action`.
double Repeat(int times, const std::function<void()>& action) {
    std::vector<double> samples;
    samples.reserve(static_cast<std::size_t>(times));
    for (int i = 0; i < times; ++i) {
        const double start = drive::NowMicroseconds();
        action();
        samples.push_back(drive::NowMicroseconds() - start);
    }
    return Median(std::move(samples));
}

void Report(const char* row, int length, double microseconds) {
    std::printf("recount %s %d %.3f\n", row, length, microseconds);
    std::fflush(stdout);
}

bool Check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "bench_recount: %s\n", what);
        failed = true;
    }
    return condition;
}

// An edit box like the message box (style, place, font) that belongs to nobody's message map.
HWND MakePlainEdit(HWND dialog, HWND model) {
    RECT rect;
    ::GetWindowRect(model, &rect);
    ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    const auto style = static_cast<DWORD>(::GetWindowLongPtrA(model, GWL_STYLE));
    const auto exStyle = static_cast<DWORD>(::GetWindowLongPtrA(model, GWL_EXSTYLE));
    HWND edit = ::CreateWindowExA(exStyle, "EDIT", "", style, rect.left, rect.top,
                                  rect.right - rect.left, rect.bottom - rect.top, dialog,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(kPlainEditId)),
                                  ::GetModuleHandleA(nullptr), nullptr);
    ::SendMessageA(edit, WM_SETFONT, ::SendMessageA(model, WM_GETFONT, 0, 0), FALSE);
    return edit;
}

void RunBench(const Settings& s, LoginState& login, CWrenquilDlg& window, HWND dialog) {
    HWND message = ::GetDlgItem(dialog, IDC_MESSAGE);
    HWND statusBar = ::GetDlgItem(dialog, IDC_STATUSBAR);
    HWND plain = MakePlainEdit(dialog, message);
    const int lengths[2] = {0, s.longLength - 1};

    // The box takes the typed key at the long length, and the window recounts.
    Fill(message, s.longLength - 1);
    ::SendMessageA(message, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("x"));
    const std::string expected = std::to_string(s.longLength) + " characters";
    if (!Check(drive::StatusText(dialog, kCounterStatusPart).rfind(expected, 0) == 0,
               ("the counter does not say \"" + expected + "\" after a key (\"" +
                drive::StatusText(dialog, kCounterStatusPart) + "\"): is the box's limit lower?")
                   .c_str())) {
        return;
    }

    for (int block = 0; block < s.blocks; ++block) {
        for (int i = 0; i < 2; ++i) {
            const int length = lengths[(i + block) % 2];
            // Each key takes the box from `length` to `length` + 1 and back.
            Fill(message, length);
            Report("keystroke", length + 1, TypeKeys(message, length, s.keys, nullptr));
            Fill(message, length);
            Report("keystroke+paint", length + 1, TypeKeys(message, length, s.keys, [&] {
                       ::UpdateWindow(message);
                       ::UpdateWindow(statusBar);
                   }));
            Fill(plain, length);
            Report("plain_edit", length + 1, TypeKeys(plain, length, s.keys, nullptr));
            Fill(plain, length, true);
            Report("plain_edit_lines", length + 1, TypeKeys(plain, length, s.keys, nullptr));
            Fill(message, length + 1);
            Report("recount_only", length + 1,
                   Repeat(s.keys, [&] { MessageTextChanged(login, window); }));
            Report("length_a", length + 1,
                   Repeat(s.keys, [&] { ::GetWindowTextLengthA(message); }));
            Report("length_w", length + 1,
                   Repeat(s.keys, [&] { ::GetWindowTextLengthW(message); }));
            Fill(plain, length + 1);
            Report("plain_length_a", length + 1,
                   Repeat(s.keys, [&] { ::GetWindowTextLengthA(plain); }));
            Report("plain_length_w", length + 1,
                   Repeat(s.keys, [&] { ::GetWindowTextLengthW(plain); }));
        }
    }
    ::DestroyWindow(plain);
}

int Run(const Settings& settings) {
    LoginState login;
    const bool ran = RunMainWindow(login, [&](CWrenquilDlg& window, HWND dialog) {
        RunBench(settings, login, window, dialog);
    });
    return ran && !failed ? 0 : 1;
}

} // namespace
} // namespace wrenquil

int main(int argc, char** argv) {
    wrenquil::Settings settings;
    if (argc > 1) {
        settings.longLength = std::atoi(argv[1]);
    }
    if (argc > 2) {
        settings.keys = std::atoi(argv[2]);
    }
    if (argc > 3) {
        settings.blocks = std::atoi(argv[3]);
    }
    if (settings.longLength < 1 || settings.keys < 1 || settings.blocks < 1) {
        std::fprintf(stderr, "usage: bench_recount [LONG_LENGTH [KEYS [BLOCKS]]]\n");
        return 2;
    }
    return wrenquil::Run(settings);
}
