#include "status_bar.h"

#include "core/counter.h"
#include "framework/owned_handle.h"
#include "res/resource.h"

#include <algorithm>

namespace wrenquil {
namespace {

constexpr int STATUS_BAR_HEIGHT = 25;
constexpr double LOGIN_PART_SHARE = 0.72; // of the window's outer width

// Room for the widest counter the message box can give, in the bar's own font, with the
// part's borders and a margin of one average character on either side of the text.
int CounterPartWidth(const CStatusBarCtrl& bar) {
    const WindowDC dc(bar.m_hWnd, reinterpret_cast<HFONT>(bar.SendMessage(WM_GETFONT)));
    int widest = 0;
    for (const std::string& text : WidestCounterTexts()) {
        SIZE size{};
        ::GetTextExtentPoint32A(dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
        widest = std::max(widest, static_cast<int>(size.cx));
    }
    TEXTMETRICA metrics{};
    ::GetTextMetricsA(dc.get(), &metrics);
    int borders[3] = {}; // horizontal, vertical, between parts
    bar.SendMessage(SB_GETBORDERS, 0, reinterpret_cast<LPARAM>(borders));
    return widest + 2 * metrics.tmAveCharWidth + 2 * borders[0] + borders[2];
}

} // namespace

bool CreateStatusBar(CStatusBarCtrl& bar, CWnd& window) {
    RECT rect;
    ::GetWindowRect(window.m_hWnd, &rect);
    rect.top = rect.bottom - STATUS_BAR_HEIGHT;
    if (!bar.Create(WS_CHILD | WS_VISIBLE, rect, &window, IDC_STATUSBAR)) {
        return false;
    }
    // The login part keeps its share of the window unless the counter would be cut off.
    ::GetWindowRect(window.m_hWnd, &rect);
    const int share = static_cast<int>((rect.right - rect.left) * LOGIN_PART_SHARE);
    RECT client;
    ::GetClientRect(bar.m_hWnd, &client);
    const int rightEdges[2] = {
        std::max(0, std::min(share, static_cast<int>(client.right) - CounterPartWidth(bar))), -1};
    bar.SetMinHeight(STATUS_BAR_HEIGHT);
    bar.SetParts(2, rightEdges);
    return true;
}

} // namespace wrenquil
