#pragma once
#include <cstdint>
#include <string>

#include "Guid.h"

// One received headline. A plain value; a null category marks a history item.
struct NewsItem {
    Guid category;
    std::int64_t publishTime = 0;  // seconds since 1970-01-01 UTC, shown in local time
    std::wstring title;            // UTF-16 code units, without the NUL
    std::wstring link;

    friend bool operator==(const NewsItem&, const NewsItem&) = default;
};
