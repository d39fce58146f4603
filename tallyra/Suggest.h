// Suggest: the closest of some candidate words to a word that matched none
// of them, for "did you mean" hints. Letters compare in any case; a candidate
// is close when few edits (insertions, deletions, substitutions) turn one
// into the other, relative to their length. Pure functions.
#ifndef TALLYRA_TALLYRA_SUGGEST_H_
#define TALLYRA_TALLYRA_SUGGEST_H_

#include <cstddef>
#include <string>
#include <vector>

namespace tallyra::script {

// The edits that turn a into b, letters compared in any case. Both are cut
// to their first kMaxSuggestLength bytes, so that the work stays small.
constexpr size_t kMaxSuggestLength = 200;
size_t EditDistance(const std::string& a, const std::string& b);

// The candidate closest to word, when it is close enough to be what was
// meant (at most a third of the longer one's letters differ, and 1 always
// may); empty when none is. Of equally close ones the first wins. A
// candidate equal to word is not suggested; one that differs only in case is.
std::string Closest(const std::string& word, const std::vector<std::string>& candidates);

}  // namespace tallyra::script

#endif  // TALLYRA_TALLYRA_SUGGEST_H_
