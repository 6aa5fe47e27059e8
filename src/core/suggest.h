// Suggestions for a search that found nothing: the names nearest to what was
// typed, within a few typing slips.
#pragma once

#include <functional>
#include <string>
#include <vector>

// Up to limit indexes into names, nearest first (ties in the names' order),
// each a name within max_distance edits (a letter added, dropped or changed)
// of query, or of as many consecutive words of the name as query has. Both
// are compared as given: fold them alike first. Names already suggested by an
// equal text are not repeated. Only names considered (by index) are looked at.
std::vector<size_t> nearest_names(const std::vector<std::string>& names, const std::string& query,
                                  size_t limit = 5, int max_distance = 2,
                                  const std::function<bool(size_t)>& considered = {});
