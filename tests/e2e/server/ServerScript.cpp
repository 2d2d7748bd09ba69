#include "ServerScript.h"

#include <charconv>
#include <cstdio>

#include "connection/Category.h"

namespace e2e {
namespace {

std::optional<std::uint32_t> Number(std::string_view text) {
    std::uint32_t value = 0;
    int base = 10;
    if (text.starts_with("0x") || text.starts_with("0X")) {
        text.remove_prefix(2);
        base = 16;
    }
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::optional<std::vector<std::uint8_t>> HexBytes(const std::vector<std::string>& words, std::size_t from) {
    std::string digits;
    for (std::size_t i = from; i < words.size(); ++i) digits += words[i];
    if (digits.empty() || digits.size() % 2) return std::nullopt;
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < digits.size(); i += 2) {
        std::uint8_t byte = 0;
        auto [end, error] = std::from_chars(digits.data() + i, digits.data() + i + 2, byte, 16);
        if (error != std::errc() || end != digits.data() + i + 2) return std::nullopt;
        bytes.push_back(byte);
    }
    return bytes;
}

std::optional<Guid> CategoryNamed(std::string_view name) {
    if (const CategoryInfo* category = FindCategoryNamed(name)) return category->guid;
    if (name == "none") return Guid{};
    return std::nullopt;
}

struct Words {
    const std::vector<std::string>& all;
    std::string error;

    std::size_t Count() const { return all.size() - 1; }  // without the step's name
    const std::string& operator[](std::size_t i) const { return all[i + 1]; }

    std::optional<std::uint32_t> NumberAt(std::size_t i, std::uint32_t fallback) {
        if (i >= Count()) return fallback;
        auto value = Number((*this)[i]);
        if (!value) error = "not a number: " + (*this)[i];
        return value;
    }
    std::optional<Guid> CategoryAt(std::size_t i) {
        if (i >= Count()) {
            error = "a category is missing";
            return std::nullopt;
        }
        auto guid = CategoryNamed((*this)[i]);
        if (!guid) error = "no such category: " + (*this)[i];
        return guid;
    }
    bool Arity(std::size_t least, std::size_t most) {
        if (Count() >= least && Count() <= most) return true;
        error = "wrong number of words";
        return false;
    }
};

std::optional<Step> Build(const std::string& name, Words& w) {
    if (name == "accept") {
        if (!w.Arity(0, 1)) return std::nullopt;
        if (auto t = w.NumberAt(0, kDefaultWaitMs)) return Accept{*t};
    } else if (name == "expect-category") {
        if (!w.Arity(0, 2)) return std::nullopt;
        ExpectCategory step;
        if (w.Count() >= 1 && w[0] != "any") {
            step.category = w.CategoryAt(0);
            if (!step.category) return std::nullopt;
        }
        if (auto t = w.NumberAt(1, kDefaultWaitMs)) {
            step.timeoutMs = *t;
            return step;
        }
    } else if (name == "history") {
        if (!w.Arity(2, 3)) return std::nullopt;
        auto category = w.CategoryAt(0);
        auto count = w.NumberAt(1, 0);
        if (category && count) return History{*category, *count, w.Count() > 2 ? w[2] : "历史"};
    } else if (name == "history-end") {
        if (w.Arity(0, 0)) return HistoryEnd{};
    } else if (name == "news") {
        if (!w.Arity(2, 3)) return std::nullopt;
        if (auto category = w.CategoryAt(0)) return News{*category, w[1], w.Count() > 2 ? w[2] : "http://127.0.0.1/news"};
    } else if (name == "stream") {
        if (w.Count() < 2) return w.Arity(2, 2), std::nullopt;
        Stream step;
        auto period = w.NumberAt(0, 0);
        auto count = w.NumberAt(1, 0);
        if (!period || !count || *period == 0) {
            if (w.error.empty()) w.error = "the period must be above 0";
            return std::nullopt;
        }
        step.periodMs = *period;
        step.count = *count;
        for (std::size_t i = 2; i < w.Count(); ++i) {
            auto category = w.CategoryAt(i);
            if (!category) return std::nullopt;
            step.categories.push_back(*category);
        }
        if (step.categories.empty())
            for (const CategoryInfo& category : kCategories) step.categories.push_back(category.guid);
        return step;
    } else if (name == "stream-stop") {
        if (w.Arity(0, 0)) return StreamStop{};
    } else if (name == "auto-history") {
        if (!w.Arity(1, 2)) return std::nullopt;
        if (w[0] == "off") return w.Count() == 1 ? std::optional<Step>(AutoHistory{}) : (w.Arity(1, 1), std::nullopt);
        AutoHistory step{true, 0, 0u};
        auto count = w.NumberAt(0, 0);
        if (!count) return std::nullopt;
        step.count = *count;
        if (w.Count() == 2 && w[1] == "never") {
            step.endAfterMs.reset();
        } else if (auto end = w.NumberAt(1, 0)) {
            step.endAfterMs = *end;
        } else {
            return std::nullopt;
        }
        return step;
    } else if (name == "echo-heartbeats") {
        if (!w.Arity(1, 1)) return std::nullopt;
        if (w[0] == "on" || w[0] == "off") return EchoHeartbeats{w[0] == "on"};
        w.error = "on or off";
    } else if (name == "heartbeat") {
        if (w.Arity(0, 0)) return Heartbeat{};
    } else if (name == "signature-request") {
        if (w.Arity(0, 0)) return SignatureRequest{};
    } else if (name == "signature") {
        if (!w.Arity(1, 1)) return std::nullopt;
        if (auto value = w.NumberAt(0, 0)) return Signature{*value};
    } else if (name == "banner") {
        if (!w.Arity(3, 3)) return std::nullopt;
        if (auto slot = w.NumberAt(0, 0)) return Banner{*slot, w[1], w[2]};
    } else if (name == "header") {
        if (!w.Arity(1, 1)) return std::nullopt;
        if (auto length = w.NumberAt(0, 0)) return Header{*length};
    } else if (name == "frame" || name == "raw") {
        auto bytes = HexBytes(w.all, 1);
        if (!bytes) {
            w.error = "hex bytes expected";
            return std::nullopt;
        }
        if (name == "frame") return Frame{*bytes};
        return Raw{*bytes};
    } else if (name == "sleep") {
        if (!w.Arity(1, 1)) return std::nullopt;
        if (auto ms = w.NumberAt(0, 0)) return Sleep{*ms};
    } else if (name == "close") {
        if (w.Arity(0, 0)) return Close{};
    } else if (name == "wait-close") {
        if (!w.Arity(0, 1)) return std::nullopt;
        if (auto t = w.NumberAt(0, kDefaultWaitMs)) return WaitClose{*t};
    } else if (name == "refuse") {
        if (w.Arity(0, 0)) return Refuse{};
    } else if (name == "listen") {
        if (w.Arity(0, 0)) return Listen{};
    } else if (name == "version-page") {
        if (!w.Arity(1, 1)) return std::nullopt;
        if (w[0] == "none") return VersionPage{};
        return VersionPage{w[0]};
    } else if (name == "exit") {
        if (w.Arity(0, 0)) return Exit{};
    } else {
        w.error = "no such step: " + name;
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::vector<std::string>> SplitWords(std::string_view line) {
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < line.size()) {
        if (line[i] == ' ' || line[i] == '\t' || line[i] == '\r' || line[i] == '\n') {
            ++i;
            continue;
        }
        std::string word;
        if (line[i] != '"') {
            while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r' && line[i] != '\n')
                word += line[i++];
        } else {
            ++i;
            for (;;) {
                if (i >= line.size()) return std::nullopt;
                char c = line[i++];
                if (c == '"') break;
                if (c == '\\' && i < line.size()) {
                    char escaped = line[i++];
                    word += escaped == 'n' ? '\n' : escaped;
                } else {
                    word += c;
                }
            }
        }
        words.push_back(std::move(word));
    }
    return words;
}

ParsedLine ParseScriptLine(std::string_view line) {
    auto words = SplitWords(line);
    if (!words) return {std::nullopt, "a quote is left open"};
    if (words->empty() || (*words)[0].starts_with("#")) return {};
    Words w{*words, {}};
    std::optional<Step> step = Build((*words)[0], w);
    if (!step && w.error.empty()) w.error = "not understood";
    return {step, step ? std::string() : (*words)[0] + ": " + w.error};
}

std::string CategoryName(const Guid& guid) {
    if (const CategoryInfo* category = FindCategory(guid)) return category->name;
    if (guid.IsNull()) return "none";
    std::string hex;
    char digits[3];
    for (std::uint8_t byte : guid.bytes) {
        std::snprintf(digits, sizeof digits, "%02x", byte);
        hex += digits;
    }
    return hex;
}

}  // namespace e2e
