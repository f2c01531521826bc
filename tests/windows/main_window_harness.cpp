#include "main_window_harness.h"

#include "res/resource.h"
#include "shell/main_window/wrenquil_dlg.h"
#include "tools/probe/window_driver.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace wrenquil {
namespace {

// The thread that drives the windows, one for the whole process and never ended. Under Wine a
// thread still on its way out when the process ends can die of a segmentation fault that fails
// a test whose every check passed; a driver of its own per window, and the watcher thread that
// GoogleTest starts for each thread that checks anything, both ended just before the process.
class DriverThread {
public:
    static DriverThread& Instance() {
        static DriverThread* const driver = new DriverThread; // lives until the process ends
        return *driver;
    }
    // Runs `job` on the driver thread; Wait() returns once it has.
    void Start(std::function<void()> job) {
        const std::lock_guard<std::mutex> lock(mutex_);
        job_ = std::move(job);
        done_ = false;
        changed_.notify_all();
    }
    void Wait() {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [&] { return done_; });
    }

private:
    DriverThread() {
        std::thread([this] {
            for (std::unique_lock<std::mutex> lock(mutex_);; done_ = true, changed_.notify_all()) {
                changed_.wait(lock, [&] { return static_cast<bool>(job_); });
                const std::function<void()> job = std::exchange(job_, nullptr);
                lock.unlock();
                job();
                lock.lock();
            }
        }).detach();
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    std::function<void()> job_;
    bool done_ = true;
};

} // namespace

bool WaitUntil(const std::function<bool()>& done, int milliseconds) {
    return drive::PollUntil(milliseconds / 1000.0, done, 10);
}

HWND FocusOf(HWND window) {
    GUITHREADINFO gui{};
    gui.cbSize = sizeof gui;
    ::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &gui);
    return gui.hwndFocus;
}

std::string Driver::Status(int part) const {
    HWND bar = Item(IDC_STATUSBAR);
    // Waits while the window is busy (drive::StatusText would give up). SB_GETTEXTA takes no
    // size, and the window may change the text between two calls: room for far more.
    const auto length = LOWORD(::SendMessageA(bar, SB_GETTEXTLENGTHA, part, 0));
    std::vector<char> text(length + 0x10000u);
    ::SendMessageA(bar, SB_GETTEXTA, part, reinterpret_cast<LPARAM>(text.data()));
    return text.data();
}

std::string Driver::DialogItemText(HWND dialog, int id) {
    HWND item = ::GetDlgItem(dialog, id);
    std::vector<char> text(static_cast<std::size_t>(::GetWindowTextLengthA(item)) + 1);
    ::GetWindowTextA(item, text.data(), static_cast<int>(text.size()));
    return text.data();
}

bool Driver::MenuEnabled(int command) const {
    return !(::GetMenuState(::GetSubMenu(::GetMenu(window), 0), command, MF_BYCOMMAND) & MF_GRAYED);
}

std::string Driver::Controls() const {
    const auto on = [](bool enabled) { return enabled ? "on" : "off"; };
    return std::string("Send ") + on(Enabled(IDC_SEND)) + "/" + on(MenuEnabled(ID_MESSAGE_SEND)) +
           ", Login " + on(MenuEnabled(ID_MESSAGE_LOGIN)) + ", Logoff " +
           on(MenuEnabled(ID_MESSAGE_LOGOFF));
}

void Driver::Type(int id, const std::string& text) const {
    ::SendMessageA(Item(id), EM_SETSEL, 0, -1);
    ::SendMessageA(Item(id), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
}

HWND Driver::WaitForDialog(const char* caption) {
    HWND found = nullptr;
    if (!WaitUntil([&] {
            found = ::FindWindowA("#32770", caption);
            return found != nullptr && ::IsWindowVisible(found);
        })) {
        ADD_FAILURE() << "no dialog \"" << caption << "\" came";
    }
    return found;
}

INT_PTR MainWindowHarness::Run(const std::function<void(Driver&)>& script, bool waitUntilShown) {
    CWrenquilDlg window(login, preferences, settings);
    app.m_pMainWnd = &window;
    if (beforeRun) {
        beforeRun();
    }
    DriverThread& driver = DriverThread::Instance();
    driver.Start([&] {
        HWND handle = nullptr;
        WaitUntil([&] {
            handle = drive::FindMainWindow();
            // Shown, and activated by the window manager: acting before that races with it.
            return handle != nullptr && (!waitUntilShown || (::IsWindowVisible(handle) &&
                                                             ::GetForegroundWindow() == handle));
        });
        if (handle == nullptr) {
            ADD_FAILURE() << "the main window did not appear";
            return;
        }
        Driver d(handle);
        script(d);
        if (::IsWindow(handle)) {
            ::PostMessageA(handle, WM_CLOSE, 0, 0);
        }
    });
    const INT_PTR result = window.DoModal();
    driver.Wait();
    app.m_pMainWnd = nullptr;
    return result;
}

} // namespace wrenquil
