#include "core/suggest.h"

#include <algorithm>
#include <glib.h>
#include <set>
#include <utility>

namespace {

std::u32string characters(const std::string& text) {
    std::u32string out;
    if (!g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr)) return out;
    for (const char* p = text.data(); p < text.data() + text.size(); p = g_utf8_next_char(p))
        out.push_back(g_utf8_get_char(p));
    return out;
}

// Edits between a and b, or limit + 1 as soon as it is surely more than limit:
// only a band of limit cells each side of the diagonal is worked out.
int distance_within(const std::u32string& a, const std::u32string& b, int limit) {
    const int n = static_cast<int>(a.size()), m = static_cast<int>(b.size());
    if (std::abs(n - m) > limit) return limit + 1;
    const int far = limit + 1;
    std::vector<int> row(static_cast<size_t>(m) + 1), next(row.size());
    for (int j = 0; j <= m; ++j)
        row[static_cast<size_t>(j)] = j <= limit ? j : far;
    for (int i = 1; i <= n; ++i) {
        std::fill(next.begin(), next.end(), far);
        next[0] = i <= limit ? i : far;
        int best = next[0];
        for (int j = std::max(1, i - limit); j <= std::min(m, i + limit); ++j) {
            const size_t J = static_cast<size_t>(j);
            const int change = row[J - 1] + (a[static_cast<size_t>(i) - 1] == b[J - 1] ? 0 : 1);
            next[J] = std::min({change, row[J] + 1, next[J - 1] + 1, far});
            best = std::min(best, next[J]);
        }
        if (best > limit) return far;
        row.swap(next);
    }
    return std::min(row[static_cast<size_t>(m)], far);
}

std::vector<std::u32string> words_of(const std::u32string& text) {
    std::vector<std::u32string> words;
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i)
        if (i == text.size() || text[i] == U' ') {
            if (i > start) words.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    return words;
}

} // namespace

std::vector<size_t> nearest_names(const std::vector<std::string>& names, const std::string& query,
                                  size_t limit, int max_distance) {
    const std::u32string wanted = characters(query);
    const size_t query_words = std::max<size_t>(1, words_of(wanted).size());
    std::vector<std::pair<int, size_t>> near; // distance, index
    std::set<std::string> seen;
    if (wanted.empty() || limit == 0) return {};
    for (size_t i = 0; i < names.size(); ++i) {
        const std::u32string name = characters(names[i]);
        int best = distance_within(name, wanted, max_distance);
        const std::vector<std::u32string> words = words_of(name);
        for (size_t w = 0; best > 0 && w + query_words <= words.size(); ++w) {
            std::u32string run = words[w];
            for (size_t k = 1; k < query_words; ++k)
                run += U' ' + words[w + k];
            best = std::min(best, distance_within(run, wanted, max_distance));
        }
        if (best <= max_distance && seen.insert(names[i]).second) near.emplace_back(best, i);
    }
    std::stable_sort(near.begin(), near.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<size_t> chosen;
    for (size_t i = 0; i < near.size() && chosen.size() < limit; ++i)
        chosen.push_back(near[i].second);
    return chosen;
}
