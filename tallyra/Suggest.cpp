#include "tallyra/Suggest.h"

#include <algorithm>

#include "tallyra/ScriptChars.h"

namespace tallyra::script {

size_t EditDistance(const std::string& a_in, const std::string& b_in) {
  const std::string a = a_in.substr(0, kMaxSuggestLength);
  const std::string b = b_in.substr(0, kMaxSuggestLength);
  std::vector<size_t> row(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      const size_t above = row[j];
      const size_t substitute = diagonal + (Lower(a[i - 1]) == Lower(b[j - 1]) ? 0 : 1);
      row[j] = std::min({above + 1, row[j - 1] + 1, substitute});
      diagonal = above;
    }
  }
  return row[b.size()];
}

std::string Closest(const std::string& word, const std::vector<std::string>& candidates) {
  std::string best;
  size_t best_distance = 0;
  for (const std::string& c : candidates) {
    if (c == word) continue;
    const size_t d = EditDistance(word, c);
    const size_t longer = std::max(word.size(), c.size());
    const size_t allowed = std::max<size_t>(1, longer / 3);
    if (d > allowed) continue;
    if (best.empty() || d < best_distance) {
      best = c;
      best_distance = d;
    }
  }
  return best;
}

}  // namespace tallyra::script
