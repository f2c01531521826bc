// The mobile number box: a paste that would not fit is taken without its blanks and separators,
// or refused with a balloon on the box that says why; a number is never cut short.
#pragma once

#include "framework/controls.h"

#include <string>

namespace wrenquil {

class CNumberEdit : public CEdit {
public:
    const MessageMap* GetMessageMap() const override;
    static const MessageMap messageMap;

private:
    LRESULT OnPaste(WPARAM, LPARAM);
    LRESULT OnKeyDown(WPARAM key, LPARAM);
    LRESULT OnTimer(WPARAM id, LPARAM);
    LRESULT HideBalloonThenDefault(WPARAM, LPARAM);
    void ShowBalloon(const std::string& title, const std::string& text);
    void HideBalloon();
    static const MessageMapEntry messageEntries[];

    // Our own balloon, for an edit control that shows none (Wine's, or one without version 6
    // of the common controls); owned by the dialog, which destroys it.
    HWND m_balloon = nullptr;
};

} // namespace wrenquil
