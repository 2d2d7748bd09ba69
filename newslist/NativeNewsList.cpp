#include "newslist/NativeNewsList.h"

#include <windowsx.h>

#include <algorithm>
#include <limits>

#include "controls/PictureFile.h"
#include "controls/SkinScale.h"
#include "framework/Dpi.h"
#include "framework/GdiplusHeaders.h"
#include "newslist/NewsListText.h"
#include "newslist/WheelScroll.h"

namespace {

// The page's look, in pixels at 96 DPI and colours: the cells' padding, the time column's width, the font size.
constexpr int kFontPixels = 13;
constexpr int kPadTop = 3;
constexpr int kPadBottom = 3;
constexpr int kPadLeft = 10;
constexpr int kTimeColumnWidth = 100;
constexpr COLORREF kBackground = RGB(0xff, 0xff, 0xff);
constexpr COLORREF kRowHover = RGB(0xcc, 0xcc, 0xcc);
constexpr COLORREF kAlertRow = RGB(0xff, 0xee, 0xce);
constexpr COLORREF kAlertBand = RGB(0xf0, 0x9a, 0x00);
constexpr int kAlertBandWidth = 4;
constexpr COLORREF kTimeText = RGB(0, 0, 0);
constexpr COLORREF kLink = RGB(0x00, 0x22, 0xff);
constexpr COLORREF kLinkHover = RGB(0x00, 0x99, 0xff);
constexpr BYTE kOverlayOpacity = 204;  // 80 % white over the rows
constexpr int kWheelRows = 3;
constexpr UINT_PTR kAnimationTimer = 1;
constexpr int kListControlId = 100;  // clear of the dialog's confirm and cancel ids
constexpr UINT kDefaultFrameDelay = 100;  // milliseconds, for frames that name none, as browsers do
constexpr UINT kTextFormat = DT_LEFT | DT_TOP | DT_WORDBREAK | DT_NOPREFIX | DT_EDITCONTROL;

HFONT CreateListFont(int dpi, bool underline, int weight = FW_NORMAL) {
    return CreateFontW(-ScaleForDpi(kFontPixels, dpi), 0, 0, 0, weight, FALSE, underline, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"MS Shell Dlg");
}

void Fill(HDC dc, const RECT& rect, COLORREF colour) {
    SetBkColor(dc, colour);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
}

}  // namespace

CNativeNewsList::CNativeNewsList(LinkHandler onLinkClicked)
    : m_onLinkClicked(std::move(onLinkClicked)) {}

CNativeNewsList::~CNativeNewsList() {
    // The window goes first: its last messages still reach this object.
    if (HWND window = Hwnd()) DestroyWindow(window);
}

bool CNativeNewsList::Create(HWND parent, const RECT& rect) {
    HWND window = CreateWindowExW(0, L"STATIC", nullptr, WS_CHILD | WS_VSCROLL | WS_CLIPSIBLINGS | SS_NOTIFY, rect.left,
                                  rect.top, rect.right - rect.left, rect.bottom - rect.top, parent,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(kListControlId)),
                                  GetModuleHandleW(nullptr), nullptr);
    if (!window || !Attach(window)) {
        if (window) DestroyWindow(window);
        return false;
    }
    RECT client{};
    GetClientRect(window, &client);
    m_layoutWidth = client.right;
    SetDpi(fw::WindowDpi(window));
    return true;
}

void CNativeNewsList::SetDpi(UINT dpi) {
    if (dpi == m_dpi || !Hwnd()) return;
    m_dpi = dpi;
    const int at = static_cast<int>(dpi);
    m_font.Reset(CreateListFont(at, false));
    m_linkHoverFont.Reset(CreateListFont(at, true));
    m_boldFont.Reset(CreateListFont(at, false, FW_BOLD));
    m_boldHoverFont.Reset(CreateListFont(at, true, FW_BOLD));
    {
        fw::ClientDC dc(Hwnd());
        fw::SelectedObject font(dc, m_font.Get());
        TEXTMETRICW metrics{};
        if (GetTextMetricsW(dc, &metrics)) m_lineHeight = metrics.tmHeight;
    }
    if (m_picture && SkinScaleForDpi(at) != m_pictureScale) ChoosePicture(m_picturePath);
    Relayout();
}

void CNativeNewsList::SetBounds(const RECT& rect) {
    if (Hwnd()) MoveWindow(Hwnd(), rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, TRUE);
}

void CNativeNewsList::AddUnit(const std::wstring& timeText, const std::wstring& title, const std::wstring& link,
                              const alerts::AlertMatch* alert) {
    if (static_cast<int>(m_rows.size()) >= m_maxRows && !m_rows.empty()) m_rows.pop_back();
    Row row;
    row.time = L"\u00A0" + newslist::TitlePlainText(timeText);
    row.title = newslist::TitlePlainText(title);
    row.link = link;
    row.alert = alert != nullptr;
    // The words stand where the rules found them: in this very text.
    if (alert && alert->visibleText == row.title) row.matchedWords = alert->words;
    m_rows.push_front(std::move(row));
    if (Hwnd()) {
        // Only the new row is measured; the others keep their layout unless the time column widens.
        fw::ClientDC dc(Hwnd());
        fw::SelectedObject font(dc, m_font.Get());
        Measure(m_rows.front(), dc);
    }
    RowsChanged();
}

void CNativeNewsList::PopTop() {
    if (m_rows.empty()) return;
    m_rows.pop_front();
    RowsChanged();
}

void CNativeNewsList::PopBottom() {
    if (m_rows.empty()) return;
    m_rows.pop_back();
    RowsChanged();
}

void CNativeNewsList::ClearList() {
    if (m_rows.empty()) return;
    m_rows.clear();
    RowsChanged();
}

void CNativeNewsList::SetMaxRows(int maxRows) { m_maxRows = maxRows; }

void CNativeNewsList::ShowProgressBusy(bool show, const std::wstring& picturePath) {
    if (picturePath != m_picturePath) ChoosePicture(picturePath);
    if (show == m_busy) return;
    m_busy = show;
    if (m_busy) {
        m_hover = {};  // the overlay lies over the rows: none is under the pointer any more
        ScheduleNextFrame();
    } else {
        if (Hwnd()) KillTimer(Hwnd(), kAnimationTimer);
        POINT cursor{};
        if (Hwnd() && GetCursorPos(&cursor) && ScreenToClient(Hwnd(), &cursor)) UpdateHover(cursor);
    }
    if (Hwnd()) InvalidateRect(Hwnd(), nullptr, FALSE);
}

std::deque<std::wstring> CNativeNewsList::Titles() const {
    std::deque<std::wstring> titles;
    for (const Row& row : m_rows) titles.push_back(row.title);
    return titles;
}

RECT CNativeNewsList::TitleRect(std::size_t index) const {
    if (index >= m_rows.size()) return {};
    int top = -m_scroll;
    for (std::size_t i = 0; i < index; ++i) top += m_rows[i].height;
    const int left = TimeColumnWidth() + Scaled(kPadLeft);
    const SIZE size = m_rows[index].titleSize;
    return {left, top + Scaled(kPadTop), left + size.cx, top + Scaled(kPadTop) + size.cy};
}

bool CNativeNewsList::HandleMessage(fw::Message& message) {
    static constexpr fw::MessageEntry<CNativeNewsList> table[] = {
        fw::OnMessage(WM_PAINT, &CNativeNewsList::OnPaint),
        fw::OnMessage(WM_ERASEBKGND, &CNativeNewsList::OnEraseBackground),
        fw::OnMessage(WM_SIZE, &CNativeNewsList::OnSize),
        fw::OnMessage(WM_MOUSEMOVE, &CNativeNewsList::OnMouseMove),
        fw::OnMessage(WM_MOUSELEAVE, &CNativeNewsList::OnMouseLeave),
        fw::OnMessage(WM_LBUTTONDOWN, &CNativeNewsList::OnLeftButtonDown),
        fw::OnMessage(WM_LBUTTONUP, &CNativeNewsList::OnLeftButtonUp),
        fw::OnMessage(WM_SETCURSOR, &CNativeNewsList::OnSetCursor),
        fw::OnMessage(WM_VSCROLL, &CNativeNewsList::OnVScroll),
        fw::OnMessage(WM_MOUSEWHEEL, &CNativeNewsList::OnMouseWheel),
        fw::OnMessage(WM_TIMER, &CNativeNewsList::OnTimer),
        fw::OnMessage(WM_SHOWWINDOW, &CNativeNewsList::OnShowWindow),
    };
    return fw::Dispatch(*this, table, message) || fw::Control::HandleMessage(message);
}

fw::Result CNativeNewsList::OnPaint(WPARAM, LPARAM) {
    fw::PaintDC paint(Hwnd());
    RECT client{};
    GetClientRect(Hwnd(), &client);
    if (client.right <= 0 || client.bottom <= 0) return 0;
    fw::OffscreenDC offscreen(paint, client.right, client.bottom);
    Draw(offscreen, client);
    offscreen.CopyTo(paint, 0, 0);
    return 0;
}

fw::Result CNativeNewsList::OnEraseBackground(WPARAM, LPARAM) { return TRUE; }  // painting covers everything

fw::Result CNativeNewsList::OnSize(WPARAM, LPARAM lParam) {
    const int width = LOWORD(lParam);
    if (width != m_layoutWidth) {
        m_layoutWidth = width;
        Relayout();
    } else {
        UpdateScrollRange();
    }
    return 0;
}

fw::Result CNativeNewsList::OnMouseMove(WPARAM, LPARAM lParam) {
    if (!m_trackingLeave) {
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, Hwnd(), 0};
        m_trackingLeave = TrackMouseEvent(&track) != FALSE;
    }
    UpdateHover({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    return 0;
}

fw::Result CNativeNewsList::OnMouseLeave(WPARAM, LPARAM) {
    m_trackingLeave = false;
    if (m_hover.row >= 0) InvalidateRect(Hwnd(), nullptr, FALSE);
    m_hover = {};
    return 0;
}

fw::Result CNativeNewsList::OnLeftButtonDown(WPARAM, LPARAM lParam) {
    const HitResult hit = HitTest({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    m_pressedRow = hit.onLink ? hit.row : -1;
    return 0;
}

fw::Result CNativeNewsList::OnLeftButtonUp(WPARAM, LPARAM lParam) {
    const HitResult hit = HitTest({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    const int pressed = std::exchange(m_pressedRow, -1);
    // A click is a press and a release on the same title, as a link counts it.
    if (hit.onLink && hit.row == pressed && m_onLinkClicked) {
        const std::wstring link = m_rows[static_cast<std::size_t>(hit.row)].link;  // the handler may change the rows
        m_onLinkClicked(link);
    }
    return 0;
}

fw::Result CNativeNewsList::OnSetCursor(WPARAM, LPARAM lParam) {
    if (LOWORD(lParam) != HTCLIENT || !m_hover.onLink) return fw::Declined;
    SetCursor(LoadCursorW(nullptr, IDC_HAND));
    return TRUE;
}

fw::Result CNativeNewsList::OnVScroll(WPARAM wParam, LPARAM) {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    GetScrollInfo(Hwnd(), SB_VERT, &info);
    const int line = m_lineHeight + RowPadding();
    const int page = std::max(line, static_cast<int>(info.nPage) - line);
    switch (LOWORD(wParam)) {
        case SB_LINEUP: ScrollTo(m_scroll - line); break;
        case SB_LINEDOWN: ScrollTo(m_scroll + line); break;
        case SB_PAGEUP: ScrollTo(m_scroll - page); break;
        case SB_PAGEDOWN: ScrollTo(m_scroll + page); break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: ScrollTo(info.nTrackPos); break;
        case SB_TOP: ScrollTo(0); break;
        case SB_BOTTOM: ScrollTo(m_contentHeight); break;
        default: break;
    }
    return 0;
}

fw::Result CNativeNewsList::OnMouseWheel(WPARAM wParam, LPARAM) {
    const newslist::WheelStep step = newslist::ScrollForWheel(m_wheelCarried, GET_WHEEL_DELTA_WPARAM(wParam),
                                                              kWheelRows * (m_lineHeight + RowPadding()));
    m_wheelCarried = step.carried;
    ScrollTo(m_scroll + step.scrollChange);
    return 0;
}

fw::Result CNativeNewsList::OnTimer(WPARAM wParam, LPARAM) {
    if (wParam != kAnimationTimer) return fw::Declined;
    KillTimer(Hwnd(), kAnimationTimer);
    // Hidden (while the page serves the list) it keeps no timer running; showing it starts one again.
    if (!m_picture || m_frameCount < 2 || !m_busy || !(GetWindowLongW(Hwnd(), GWL_STYLE) & WS_VISIBLE)) return 0;
    m_frame = (m_frame + 1) % m_frameCount;
    m_picture->SelectActiveFrame(&m_frameDimension, m_frame);
    InvalidateRect(Hwnd(), nullptr, FALSE);
    ScheduleNextFrame();
    return 0;
}

void CNativeNewsList::Draw(HDC dc, const RECT& client) {
    Fill(dc, client, kBackground);
    fw::SelectedObject font(dc, m_font.Get());
    SetBkMode(dc, TRANSPARENT);
    const int timeLeft = Scaled(kPadLeft);
    const int titleLeft = TimeColumnWidth() + Scaled(kPadLeft);
    const int titleRight = titleLeft + TitleColumnWidth();
    int top = -m_scroll;
    for (std::size_t i = 0; i < m_rows.size() && top < client.bottom; ++i) {
        const Row& row = m_rows[i];
        const int bottom = top + row.height;
        if (bottom > 0) {
            const bool hovered = m_hover.row == static_cast<int>(i);
            if (hovered || row.alert) Fill(dc, {0, top, client.right, bottom}, hovered ? kRowHover : kAlertRow);
            if (row.alert) Fill(dc, {0, top, Scaled(kAlertBandWidth), bottom}, kAlertBand);
            SetTextColor(dc, kTimeText);
            TextOutW(dc, timeLeft, top + Scaled(kPadTop), row.time.c_str(), static_cast<int>(row.time.size()));
            const bool linkHovered = hovered && m_hover.onLink;
            fw::SelectedObject linkFont(dc, linkHovered ? m_linkHoverFont.Get() : m_font.Get());
            SetTextColor(dc, linkHovered ? kLinkHover : kLink);
            if (row.alert) {
                DrawAlertTitle(dc, row, {titleLeft, top + Scaled(kPadTop)}, linkHovered);
            } else {
                RECT text{titleLeft, top + Scaled(kPadTop), titleRight, bottom - Scaled(kPadBottom)};
                DrawTextW(dc, row.title.c_str(), static_cast<int>(row.title.size()), &text, kTextFormat);
            }
        }
        top = bottom;
    }
    if (m_busy) DrawOverlay(dc, client);
}

void CNativeNewsList::DrawOverlay(HDC dc, const RECT& client) {
    // The page's overlay: white at 80 % over the visible area, the picture at its own size in the middle.
    fw::MemoryDC white(dc);
    fw::GdiObject<HBITMAP> pixel(CreateCompatibleBitmap(dc, 1, 1));
    {
        fw::SelectedObject selected(white, pixel.Get());
        SetPixel(white, 0, 0, kBackground);
        const BLENDFUNCTION blend{AC_SRC_OVER, 0, kOverlayOpacity, 0};
        AlphaBlend(dc, 0, 0, client.right, client.bottom, white, 0, 0, 1, 1, blend);
    }
    if (!m_pictureDecoded) DecodePicture();
    if (!m_picture) return;
    // The picture of the nearest skin scale, sized for the list's DPI.
    const LONG width = static_cast<LONG>(m_picture->GetWidth());
    const LONG height = static_cast<LONG>(m_picture->GetHeight());
    const int dpi = static_cast<int>(m_dpi ? m_dpi : kBaseDpi);
    const LONG shownWidth = SkinSideAtDpi(width, m_pictureScale, dpi);
    const LONG shownHeight = SkinSideAtDpi(height, m_pictureScale, dpi);
    const LONG left = (client.right - shownWidth) / 2;
    const LONG top = (client.bottom - shownHeight) / 2;
    DrawPicturePart(dc, *m_picture, {0, 0, width, height}, {left, top, left + shownWidth, top + shownHeight});
}

void CNativeNewsList::DrawAlertTitle(HDC dc, const Row& row, POINT at, bool linkHovered) const {
    for (const alerts::TextLine& line : row.alertLines) {
        int x = at.x;
        for (const alerts::TextRun& run : line) {
            HFONT font = run.bold ? (linkHovered ? m_boldHoverFont.Get() : m_boldFont.Get())
                                  : (linkHovered ? m_linkHoverFont.Get() : m_font.Get());
            fw::SelectedObject selected(dc, font);
            const int length = static_cast<int>(run.text.size());
            TextOutW(dc, x, at.y, run.text.c_str(), length);
            SIZE size{};
            GetTextExtentPoint32W(dc, run.text.c_str(), length, &size);
            x += size.cx;
        }
        at.y += m_lineHeight;
    }
}

void CNativeNewsList::Measure(Row& row, HDC dc) const {
    GetTextExtentPoint32W(dc, row.time.c_str(), static_cast<int>(row.time.size()), &row.timeSize);
    RECT text{0, 0, std::max(1, TitleColumnWidth()), 0};
    if (row.alert) {
        const auto measure = [&](std::wstring_view part, bool bold) {
            fw::SelectedObject font(dc, bold ? m_boldFont.Get() : m_font.Get());
            SIZE size{};
            GetTextExtentPoint32W(dc, part.data(), static_cast<int>(part.size()), &size);
            return static_cast<int>(size.cx);
        };
        row.alertLines = alerts::LayOutMarkedText(row.title, row.matchedWords, text.right,
                                                  std::numeric_limits<std::size_t>::max(), measure);
        int widest = 0;
        for (const alerts::TextLine& line : row.alertLines) {
            int width = 0;
            for (const alerts::TextRun& run : line) width += measure(run.text, run.bold);
            widest = std::max(widest, width);
        }
        text = {0, 0, widest, static_cast<LONG>(row.alertLines.size()) * m_lineHeight};
    } else if (row.title.empty()) {
        text.right = 0;
    } else {
        DrawTextW(dc, row.title.c_str(), static_cast<int>(row.title.size()), &text, kTextFormat | DT_CALCRECT);
    }
    row.titleSize = {text.right - text.left, text.bottom - text.top};
    row.height = Scaled(kPadTop) + std::max({m_lineHeight, static_cast<int>(row.timeSize.cy), static_cast<int>(row.titleSize.cy)}) +
                 Scaled(kPadBottom);
}

void CNativeNewsList::Relayout() {
    if (!Hwnd()) return;
    {
        fw::ClientDC dc(Hwnd());
        fw::SelectedObject font(dc, m_font.Get());
        // The time column is as wide as its widest text first, as a table lays it out.
        m_timeTextWidth = 0;
        for (Row& row : m_rows) {
            GetTextExtentPoint32W(dc, row.time.c_str(), static_cast<int>(row.time.size()), &row.timeSize);
            m_timeTextWidth = std::max(m_timeTextWidth, static_cast<int>(row.timeSize.cx));
        }
        for (Row& row : m_rows) Measure(row, dc);
    }
    UpdateScrollRange();
}

void CNativeNewsList::UpdateScrollRange() {
    m_contentHeight = 0;
    for (const Row& row : m_rows) m_contentHeight += row.height;
    RECT client{};
    GetClientRect(Hwnd(), &client);
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE;
    info.nMax = std::max(0, m_contentHeight - 1);
    info.nPage = static_cast<UINT>(std::max(0L, client.bottom));
    if (info.nMax != m_scrollRange.nMax || info.nPage != m_scrollRange.nPage) {
        m_scrollRange = info;
        // Showing or hiding the scroll bar resizes the client area: WM_SIZE then lays the rows out again
        // for the new width. Rows only grow taller as the width shrinks, so this settles after one change.
        SetScrollInfo(Hwnd(), SB_VERT, &info, TRUE);
    }
    ScrollTo(m_scroll);
    InvalidateRect(Hwnd(), nullptr, FALSE);
}

void CNativeNewsList::RowsChanged() {
    if (!Hwnd()) return;
    int widest = 0;
    for (const Row& row : m_rows) widest = std::max(widest, static_cast<int>(row.timeSize.cx));
    if (widest != m_timeTextWidth) {
        Relayout();  // the title column moved: every title wraps anew
    } else {
        UpdateScrollRange();
    }
    POINT cursor{};
    if (!m_busy && GetCursorPos(&cursor) && ScreenToClient(Hwnd(), &cursor)) UpdateHover(cursor);
}

int CNativeNewsList::TimeColumnWidth() const { return Scaled(kPadLeft) + std::max(Scaled(kTimeColumnWidth), m_timeTextWidth); }

int CNativeNewsList::TitleColumnWidth() const {
    RECT client{};
    if (Hwnd()) GetClientRect(Hwnd(), &client);
    return std::max(0, static_cast<int>(client.right) - TimeColumnWidth() - Scaled(kPadLeft));
}

CNativeNewsList::HitResult CNativeNewsList::HitTest(POINT point) const {
    RECT client{};
    GetClientRect(Hwnd(), &client);
    if (m_busy || !PtInRect(&client, point)) return {};
    int top = -m_scroll;
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        const int bottom = top + m_rows[i].height;
        if (point.y >= top && point.y < bottom) {
            const RECT title = TitleRect(i);
            return {static_cast<int>(i), PtInRect(&title, point) != FALSE};
        }
        top = bottom;
    }
    return {};
}

void CNativeNewsList::UpdateHover(POINT point) {
    const HitResult hit = HitTest(point);
    if (hit.row == m_hover.row && hit.onLink == m_hover.onLink) return;
    m_hover = hit;
    InvalidateRect(Hwnd(), nullptr, FALSE);
}

void CNativeNewsList::ScrollTo(int offset) {
    if (!Hwnd()) return;
    RECT client{};
    GetClientRect(Hwnd(), &client);
    const int limit = std::max(0, m_contentHeight - static_cast<int>(client.bottom));
    const int scroll = std::clamp(offset, 0, limit);
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_POS;
    GetScrollInfo(Hwnd(), SB_VERT, &info);
    if (info.nPos != scroll) {
        info.nPos = scroll;
        SetScrollInfo(Hwnd(), SB_VERT, &info, TRUE);
    }
    if (scroll == m_scroll) return;
    m_scroll = scroll;
    InvalidateRect(Hwnd(), nullptr, FALSE);
}

// The picture is decoded when the overlay first paints, not when it is chosen: a connection made or a history
// loaded within milliseconds hides the overlay before it ever paints, and decoding at once, tens of
// milliseconds under Wine, would delay the very message that ends the wait.
void CNativeNewsList::ChoosePicture(const std::wstring& path) {
    m_picturePath = path;
    m_picture.reset();
    m_pictureDecoded = path.empty();
    m_frameCount = 0;
    m_frame = 0;
    m_frameDelays.clear();
    if (Hwnd()) KillTimer(Hwnd(), kAnimationTimer);
}

void CNativeNewsList::DecodePicture() {
    m_pictureDecoded = true;
    const std::wstring& path = m_picturePath;
    // The picture drawn for the list's DPI, or the 100 % one when the skin has no such scale.
    m_pictureScale = SkinScaleForDpi(static_cast<int>(m_dpi ? m_dpi : kBaseDpi));
    auto picture = std::make_unique<Gdiplus::Image>(AtSkinScale(path, m_pictureScale).c_str());
    if (picture->GetLastStatus() != Gdiplus::Ok || picture->GetWidth() == 0) {
        m_pictureScale = 100;
        picture = std::make_unique<Gdiplus::Image>(path.c_str());
    }
    if (picture->GetLastStatus() != Gdiplus::Ok || picture->GetWidth() == 0) return;
    if (picture->GetFrameDimensionsCount() > 0) {
        picture->GetFrameDimensionsList(&m_frameDimension, 1);
        m_frameCount = picture->GetFrameCount(&m_frameDimension);
    }
    // Frame delays come in hundredths of a second, one 32-bit value per frame.
    const UINT size = picture->GetPropertyItemSize(PropertyTagFrameDelay);
    if (m_frameCount > 1 && size >= sizeof(Gdiplus::PropertyItem)) {
        std::vector<std::byte> buffer(size);
        auto* item = reinterpret_cast<Gdiplus::PropertyItem*>(buffer.data());
        if (picture->GetPropertyItem(PropertyTagFrameDelay, size, item) == Gdiplus::Ok) {
            const auto* delays = static_cast<const UINT32*>(item->value);
            const std::size_t count = item->length / sizeof(UINT32);
            for (std::size_t i = 0; i < count; ++i) m_frameDelays.push_back(delays[i] * 10);
        }
    }
    m_picture = std::move(picture);
    if (m_busy) ScheduleNextFrame();
}

fw::Result CNativeNewsList::OnShowWindow(WPARAM shown, LPARAM) {
    if (shown && m_busy) ScheduleNextFrame();
    return fw::Declined;
}

void CNativeNewsList::ScheduleNextFrame() {
    if (!Hwnd() || !m_picture || m_frameCount < 2) return;
    UINT delay = m_frame < m_frameDelays.size() ? m_frameDelays[m_frame] : 0;
    if (delay <= 10) delay = kDefaultFrameDelay;  // browsers slow down frames that ask for almost no delay
    SetTimer(Hwnd(), kAnimationTimer, delay, nullptr);
}

int CNativeNewsList::Scaled(int pixelsAt96) const { return ScaleForDpi(pixelsAt96, static_cast<int>(m_dpi ? m_dpi : kBaseDpi)); }

int CNativeNewsList::RowPadding() const { return Scaled(kPadTop) + Scaled(kPadBottom); }
