#pragma once
// The news list drawn natively, for where no browser can show the page. It looks and behaves like the
// page: newest row on top, at most the row limit, time and title (as plain text) in link style, a grey
// row under the pointer, a click on a title opening its link, and a busy overlay that dims the list with
// an animated picture in its centre. Drawn off-screen, so a burst of rows does not flicker. The picture
// is read and drawn with GDI+, inside the session the application object holds for the run.
#include <windows.h>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "alerts/AlertMatcher.h"
#include "alerts/MarkedTextLayout.h"
#include "framework/Control.h"
#include "framework/DeviceContext.h"

namespace Gdiplus {
class Image;
}

class CNativeNewsList : public fw::Control {
public:
    using LinkHandler = std::function<void(const std::wstring& link)>;

    explicit CNativeNewsList(LinkHandler onLinkClicked);
    ~CNativeNewsList() override;

    // A child window of parent over rect, hidden until shown.
    bool Create(HWND parent, const RECT& rect);

    // Fills rect of the parent's client area.
    void SetBounds(const RECT& rect);

    // The page's script functions, with the same effects. A keyword alert's row is tinted, with an amber
    // band at its left edge.
    void AddUnit(const std::wstring& timeText, const std::wstring& title, const std::wstring& link,
                 const alerts::AlertMatch* alert = nullptr);
    void PopTop();
    void PopBottom();
    void ClearList();
    void SetMaxRows(int maxRows);
    // picturePath: a skin picture file at 100 % shown centred in the overlay, drawn from the file of the skin
    // scale for the list's DPI where the skin has one; empty for none.
    void ShowProgressBusy(bool show, const std::wstring& picturePath);
    // Fonts, paddings and columns for a new DPI (the window's own at creation); the rows are measured anew.
    void SetDpi(UINT dpi);

    // For tests and review: the rows' titles as drawn, top first, and where a row's title is drawn in
    // client coordinates (empty when there is no such row or it is scrolled out of view).
    std::deque<std::wstring> Titles() const;
    bool IsAlertRow(std::size_t row) const { return row < m_rows.size() && m_rows[row].alert; }
    RECT TitleRect(std::size_t row) const;
    bool Busy() const { return m_busy; }

    bool HandleMessage(fw::Message& message) override;

private:
    struct Row {
        std::wstring time;   // as drawn: a no-break space, then the time text
        std::wstring title;  // plain text
        std::wstring link;
        bool alert = false;
        std::vector<alerts::TextSpan> matchedWords;  // bold in an alert's title
        std::vector<alerts::TextLine> alertLines;    // an alert's title as wrapped to the title column
        SIZE timeSize{};
        SIZE titleSize{};  // wrapped to the title column
        int height = 0;
    };
    struct HitResult {
        int row = -1;
        bool onLink = false;
    };

    fw::Result OnPaint(WPARAM, LPARAM);
    fw::Result OnEraseBackground(WPARAM, LPARAM);
    fw::Result OnSize(WPARAM, LPARAM);
    fw::Result OnMouseMove(WPARAM, LPARAM);
    fw::Result OnMouseLeave(WPARAM, LPARAM);
    fw::Result OnLeftButtonDown(WPARAM, LPARAM);
    fw::Result OnLeftButtonUp(WPARAM, LPARAM);
    fw::Result OnSetCursor(WPARAM, LPARAM);
    fw::Result OnVScroll(WPARAM, LPARAM);
    fw::Result OnMouseWheel(WPARAM, LPARAM);
    fw::Result OnTimer(WPARAM, LPARAM);
    fw::Result OnShowWindow(WPARAM, LPARAM);

    void Draw(HDC dc, const RECT& client);
    void DrawOverlay(HDC dc, const RECT& client);
    void Measure(Row& row, HDC dc) const;
    void DrawAlertTitle(HDC dc, const Row& row, POINT at, bool linkHovered) const;
    // Measures every row for the current column widths, then updates the scroll range.
    void Relayout();
    void UpdateScrollRange();
    // After the rows changed: layout, scroll range and the row under the pointer follow.
    void RowsChanged();
    int Scaled(int pixelsAt96) const;
    int RowPadding() const;
    int TimeColumnWidth() const;
    int TitleColumnWidth() const;
    HitResult HitTest(POINT client) const;
    void UpdateHover(POINT client);
    void ScrollTo(int offset);
    void ChoosePicture(const std::wstring& path);
    void DecodePicture();
    void ScheduleNextFrame();

    LinkHandler m_onLinkClicked;
    UINT m_dpi = 0;  // 0 until the window exists
    fw::GdiObject<HFONT> m_font;
    fw::GdiObject<HFONT> m_linkHoverFont;
    fw::GdiObject<HFONT> m_boldFont;
    fw::GdiObject<HFONT> m_boldHoverFont;
    std::deque<Row> m_rows;  // top first
    int m_maxRows = 20;
    int m_scroll = 0;        // pixels of the rows above the visible area
    int m_wheelCarried = 0;  // wheel deltas that have not made a whole pixel yet
    int m_contentHeight = 0;
    SCROLLINFO m_scrollRange{};  // as last given to the scroll bar
    int m_lineHeight = 15;
    int m_timeTextWidth = 0;  // the widest time text
    int m_layoutWidth = 0;    // the client width the rows were measured for
    HitResult m_hover;
    int m_pressedRow = -1;
    bool m_trackingLeave = false;

    bool m_busy = false;
    std::wstring m_picturePath;
    std::unique_ptr<Gdiplus::Image> m_picture;
    bool m_pictureDecoded = true;  // false from a new choice until the overlay first paints
    int m_pictureScale = 100;  // the skin scale m_picture was drawn at
    GUID m_frameDimension{};
    unsigned m_frameCount = 0;
    unsigned m_frame = 0;
    std::vector<unsigned> m_frameDelays;  // milliseconds
};
