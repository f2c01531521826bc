// The message box: an edit control where Ctrl+A selects everything and Esc minimises the
// window, as it does in the number box, instead of closing the program.
#pragma once

#include "framework/controls.h"

namespace wrenquil {

class CExtEdit : public CEdit {
public:
    const MessageMap* GetMessageMap() const override;
    static const MessageMap messageMap;

private:
    LRESULT OnChar(WPARAM character, LPARAM flags);
    LRESULT OnKeyDown(WPARAM key, LPARAM flags);
    static const MessageMapEntry messageEntries[];
};

} // namespace wrenquil
