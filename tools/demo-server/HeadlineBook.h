#pragma once
// The sample headlines the demo server plays: per category a list that runs from oldest to newest.
// A category request is answered with the newest few of that category; live headlines go round the
// categories in turn, each category from its oldest headline on.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "connection/Category.h"

struct SampleHeadline {
    const CategoryInfo* category = nullptr;
    std::wstring title;
    std::wstring link;
};

struct TimedHeadline {
    const SampleHeadline* headline = nullptr;
    std::int64_t publishTime = 0;
};

// One line of the sample file: "category<TAB>title<TAB>link". Blank lines and lines starting with '#'
// hold nothing; a line with an unknown category, an empty title or link, or the wrong number of fields is bad.
struct HeadlineLine {
    enum class Kind { Nothing, Headline, Bad } kind = Kind::Nothing;
    SampleHeadline headline;
};
HeadlineLine ParseHeadlineLine(std::string_view line);

class HeadlineBook {
public:
    void Add(SampleHeadline headline);

    // The newest `count` headlines of the category (fewer when it has fewer), oldest first, with publish
    // times that rise towards `now` a few minutes apart, so the newest lands on top of the client's list.
    std::vector<TimedHeadline> History(const CategoryInfo& category, std::size_t count, std::int64_t now) const;

    // The live headline for the tick-th beat of a session: the categories that have headlines in turn.
    // Null when the book is empty.
    const SampleHeadline* Live(std::size_t tick) const;

    std::size_t Size() const;
    std::size_t CountOf(const CategoryInfo& category) const;

private:
    std::array<std::vector<SampleHeadline>, kCategories.size()> byCategory_;
};

// Reads the sample file; bad lines are reported in `problems` ("line N: ...") and skipped. None, with the
// reason in `refusal` when given, for a path that is no readable file or a file that holds no headline.
std::optional<HeadlineBook> LoadHeadlineBook(const std::string& path, std::vector<std::string>& problems,
                                             std::string* refusal = nullptr);
