#include "HeadlineBook.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "framework/platform/Text.h"

namespace {

std::size_t IndexOf(const CategoryInfo& category) { return static_cast<std::size_t>(&category - kCategories.data()); }

}  // namespace

HeadlineLine ParseHeadlineLine(std::string_view line) {
    HeadlineLine parsed;
    if (line.ends_with('\r')) line.remove_suffix(1);  // a file saved with CRLF line ends
    if (line.empty() || line.starts_with('#')) return parsed;
    parsed.kind = HeadlineLine::Kind::Bad;
    std::size_t first = line.find('\t');
    std::size_t second = first == std::string_view::npos ? first : line.find('\t', first + 1);
    if (second == std::string_view::npos || line.find('\t', second + 1) != std::string_view::npos) return parsed;
    std::string_view title = line.substr(first + 1, second - first - 1);
    std::string_view link = line.substr(second + 1);
    const CategoryInfo* category = FindCategoryNamed(line.substr(0, first));
    if (!category || title.empty() || link.empty()) return parsed;
    parsed.kind = HeadlineLine::Kind::Headline;
    parsed.headline = {category, platform::FromUtf8(std::string(title)), platform::FromUtf8(std::string(link))};
    return parsed;
}

void HeadlineBook::Add(SampleHeadline headline) {
    byCategory_[IndexOf(*headline.category)].push_back(std::move(headline));
}

std::vector<TimedHeadline> HeadlineBook::History(const CategoryInfo& category, std::size_t count, std::int64_t now) const {
    const std::vector<SampleHeadline>& all = byCategory_[IndexOf(category)];
    count = std::min(count, all.size());
    std::vector<TimedHeadline> history(count);
    // From the newest backwards: a minute old, then gaps of three to seven minutes that look unplanned.
    std::int64_t time = now - 60;
    for (std::size_t back = 0; back < count; ++back) {
        history[count - 1 - back] = {&all[all.size() - 1 - back], time};
        time -= 180 + static_cast<std::int64_t>((back * 97) % 240);
    }
    return history;
}

const SampleHeadline* HeadlineBook::Live(std::size_t tick) const {
    // Round after round the categories that have headlines in turn; a shorter list starts over sooner.
    std::vector<const std::vector<SampleHeadline>*> filled;
    for (const auto& list : byCategory_)
        if (!list.empty()) filled.push_back(&list);
    if (filled.empty()) return nullptr;
    const std::vector<SampleHeadline>& list = *filled[tick % filled.size()];
    return &list[(tick / filled.size()) % list.size()];
}

std::size_t HeadlineBook::Size() const {
    std::size_t size = 0;
    for (const auto& list : byCategory_) size += list.size();
    return size;
}

std::size_t HeadlineBook::CountOf(const CategoryInfo& category) const { return byCategory_[IndexOf(category)].size(); }

std::optional<HeadlineBook> LoadHeadlineBook(const std::string& path, std::vector<std::string>& problems,
                                             std::string* refusal) {
    auto refuse = [&](const char* why) -> std::optional<HeadlineBook> {
        if (refusal) *refusal = why;
        return std::nullopt;
    };
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) return refuse("is a folder, not a file of headlines");
    std::ifstream file(path, std::ios::binary);
    if (!file) return refuse("cannot be read");
    HeadlineBook book;
    std::string line;
    for (int number = 1; std::getline(file, line); ++number) {
        if (number == 1 && line.starts_with("\xEF\xBB\xBF")) line.erase(0, 3);  // a byte-order mark from an editor
        HeadlineLine parsed = ParseHeadlineLine(line);
        if (parsed.kind == HeadlineLine::Kind::Headline)
            book.Add(std::move(parsed.headline));
        else if (parsed.kind == HeadlineLine::Kind::Bad)
            problems.push_back("line " + std::to_string(number) + ": not \"category<TAB>title<TAB>link\" with a known category");
    }
    if (file.bad()) return refuse("cannot be read");
    if (book.Size() == 0) return refuse("holds no headlines (lines of category<TAB>title<TAB>link)");
    return book;
}
