// The About box: name, version, copyright, the maker's home page as a link, the disclaimer.
#pragma once

#include "framework/dialog.h"

namespace wrenquil {

inline constexpr char HOME_PAGE_ADDRESS[] = "http://www.halvory.com/wrenquil/index.html?from=about";

class CAboutDlg : public CDialog {
public:
    CAboutDlg();

    const MessageMap* GetMessageMap() const override;
    static const MessageMap messageMap;

private:
    BOOL OnInitDialog() override;
    void OpenHomePage();
    static const MessageMapEntry messageEntries[];
};

} // namespace wrenquil
