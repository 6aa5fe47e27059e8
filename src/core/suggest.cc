#include "core/suggest.h"

#include <algorithm>
#include <glib.h>
#include <set>
#include <utility>

namespace {

// The characters of text into out; nothing for text that is not UTF-8.
void characters(const std::string& text, std::u32string& out) {
    out.clear();
    if (!g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr)) return;
    for (const char* p = text.data(); p < text.data() + text.size(); p = g_utf8_next_char(p))
        out.push_back(g_utf8_get_char(p));
}

// Edits between a (n characters) and b (m), or limit + 1 as soon as it is
// surely more than limit: only a band of limit cells each side of the
// diagonal is worked out. row and next are room to work in, kept between calls.
int distance_within(const char32_t* a, int n, const char32_t* b, int m, int limit,
                    std::vector<int>& row, std::vector<int>& next) {
    if (std::abs(n - m) > limit) return limit + 1;
    const int far = limit + 1;
    row.assign(static_cast<size_t>(m) + 1, far);
    next.assign(row.size(), far);
    for (int j = 0; j <= std::min(m, limit); ++j)
        row[static_cast<size_t>(j)] = j;
    for (int i = 1; i <= n; ++i) {
        std::fill(next.begin(), next.end(), far);
        next[0] = i <= limit ? i : far;
        int best = next[0];
        for (int j = std::max(1, i - limit); j <= std::min(m, i + limit); ++j) {
            const size_t J = static_cast<size_t>(j);
            const int change = row[J - 1] + (a[i - 1] == b[J - 1] ? 0 : 1);
            next[J] = std::min({change, row[J] + 1, next[J - 1] + 1, far});
            best = std::min(best, next[J]);
        }
        if (best > limit) return far;
        row.swap(next);
    }
    return std::min(row[static_cast<size_t>(m)], far);
}

// Where the words of text start and end, blanks between them dropped: text
// becomes its words with one blank between each two.
std::vector<std::pair<size_t, size_t>> single_blanks(std::u32string& text) {
    std::vector<std::pair<size_t, size_t>> words;
    size_t out = 0;
    for (size_t i = 0; i < text.size();) {
        if (text[i] == U' ') {
            ++i;
            continue;
        }
        if (out > 0) text[out++] = U' ';
        const size_t start = out;
        while (i < text.size() && text[i] != U' ')
            text[out++] = text[i++];
        words.emplace_back(start, out);
    }
    text.resize(out);
    return words;
}

} // namespace

std::vector<size_t> nearest_names(const std::vector<std::string>& names, const std::string& query,
                                  size_t limit, int max_distance,
                                  const std::function<bool(size_t)>& considered) {
    std::u32string wanted;
    characters(query, wanted);
    std::u32string words_of_query = wanted;
    const size_t query_words = std::max<size_t>(1, single_blanks(words_of_query).size());
    const int m = static_cast<int>(wanted.size());
    std::vector<std::pair<int, size_t>> near; // distance, index
    std::set<std::string> seen;
    if (wanted.empty() || limit == 0) return {};
    std::u32string name;
    std::vector<int> row, next;
    for (size_t i = 0; i < names.size(); ++i) {
        if (considered && !considered(i)) continue;
        characters(names[i], name);
        int best = distance_within(name.data(), static_cast<int>(name.size()), wanted.data(), m,
                                   max_distance, row, next);
        // Runs of as many words as the query has, one blank between them.
        const auto words = single_blanks(name);
        for (size_t w = 0; best > 0 && w + query_words <= words.size(); ++w) {
            const size_t start = words[w].first, end = words[w + query_words - 1].second;
            best =
                std::min(best, distance_within(name.data() + start, static_cast<int>(end - start),
                                               wanted.data(), m, max_distance, row, next));
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
