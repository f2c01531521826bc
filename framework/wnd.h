// The window wrapper every window and control of the program derives from, and the message
// table that maps a window's messages, commands and notifications to its handlers.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace wrenquil {

class CWnd;
using MessageHandler = LRESULT (CWnd::*)(WPARAM, LPARAM);
using CommandHandler = void (CWnd::*)();

// One row of a message table. WM_COMMAND rows name a command or control id and the
// notification code (0 for menu commands and BN_CLICKED, which share it).
struct MessageMapEntry {
    UINT message;
    UINT notification;
    UINT id;
    MessageHandler onMessage;
    CommandHandler onCommand;
};

// A window class's table and the table of the class it derives from.
struct MessageMap {
    const MessageMap* base;
    const MessageMapEntry* entries;
    std::size_t count;
};

// The rows of class Owner's table. A handler must be a member of Owner or of a class it
// derives from: the table can never call a member of some other window's class.
template <typename Owner> struct MessageRows {
    using OwnerMessageHandler = LRESULT (Owner::*)(WPARAM, LPARAM);
    using OwnerCommandHandler = void (Owner::*)();

    static MessageMapEntry OnMessage(UINT message, OwnerMessageHandler handler) {
        return {message, 0, 0, static_cast<MessageHandler>(handler), nullptr};
    }
    static MessageMapEntry OnCommand(UINT id, OwnerCommandHandler handler) {
        return {WM_COMMAND, 0, id, nullptr, static_cast<CommandHandler>(handler)};
    }
    static MessageMapEntry OnNotification(UINT notification, UINT id, OwnerCommandHandler handler) {
        return {WM_COMMAND, notification, id, nullptr, static_cast<CommandHandler>(handler)};
    }
};

class CWnd {
public:
    CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;
    virtual ~CWnd();

    HWND m_hWnd = nullptr;

    int GetWindowTextLength() const { return ::GetWindowTextLengthA(m_hWnd); }
    std::string GetWindowText() const;
    // The text in the ANSI code page; none when a character of it has no place there.
    std::optional<std::string> GetWindowTextInCodePage() const;
    void SetWindowText(const std::string& text) { ::SetWindowTextA(m_hWnd, text.c_str()); }
    BOOL EnableWindow(BOOL enable) { return ::EnableWindow(m_hWnd, enable); }
    BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
    BOOL ShowWindow(int command) { return ::ShowWindow(m_hWnd, command); }
    HWND SetFocus() { return ::SetFocus(m_hWnd); }
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendMessageA(m_hWnd, message, wParam, lParam);
    }

    // Routes the window's messages through this object's message table, on top of whatever
    // subclasses it already has; messages the table does not name go on down the chain. The
    // object forgets the window when it is destroyed, and lets go of it when the object goes.
    bool SubclassWindow(HWND window);

    // The table of this class and, through `base`, of the classes it derives from.
    virtual const MessageMap* GetMessageMap() const;
    static const MessageMap messageMap;

protected:
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Finds the message in the tables and runs its handler. A C++ exception escaping the
    // handler is shown in an "Error" box and the program goes on.
    bool OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    // The message being handled, given to the next procedure of the window.
    LRESULT Default();
    // Reports an exception that escaped a handler.
    void ReportException(const char* text);

private:
    struct Message {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };
    static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR id, DWORD_PTR object);

    Message m_current{};
};

} // namespace wrenquil
