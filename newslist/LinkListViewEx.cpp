#include "newslist/LinkListViewEx.h"

#include "newslist/ServerLink.h"
#include "res/resource.h"

// Placeholder bodies: the list window comes next.
class CBrowserHost {};
class CNativeNewsList {};

CLinkListViewEx::CLinkListViewEx() : fw::Dialog(IDD_NEWSLIST) {}

CLinkListViewEx::~CLinkListViewEx() = default;

bool CLinkListViewEx::CreateFromPlaceholder(HWND, int, int) { return false; }

bool CLinkListViewEx::AddUnit(const NewsItem&) { return true; }

HRESULT CLinkListViewEx::PopUnit(bool) { return S_FALSE; }

HRESULT CLinkListViewEx::ClearList() { return S_FALSE; }

HRESULT CLinkListViewEx::SetMaxRows(int) { return S_FALSE; }

HRESULT CLinkListViewEx::ShowProgressBusy(bool, const std::wstring&) { return S_FALSE; }

void CLinkListViewEx::ShowInfo(const std::wstring& link) { newslist::OpenServerLink(link); }
