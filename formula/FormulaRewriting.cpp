#include "formula/FormulaRewriting.h"

#include <algorithm>
#include <cstddef>
#include <vector>

namespace tallyra {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsNameStart(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
bool IsNameChar(char c) { return IsNameStart(c) || IsDigit(c); }
// The parser skips every character from 1 to 32 between tokens.
bool IsBlank(char c) { return c > 0 && static_cast<unsigned char>(c) <= 0x20; }

struct Span {
  std::size_t begin;
  std::size_t end;  // one past the operand's last character
};

// A change of the text: at `position`, `removed` characters give way to
// `text`. At one position closing parentheses go in first, then opening ones,
// then the replacement of the characters there (at most one per position).
struct Edit {
  enum Order { kClose, kOpen, kReplace };
  std::size_t position;
  Order order;
  std::size_t removed;
  std::string_view text;
  bool operator<(const Edit& other) const {
    if (position != other.position) return position < other.position;
    return order < other.order;
  }
};

// One nesting level (the whole formula, or the inside of a group or of a
// function's arguments) with the chain of "^" that it is reading and, for a
// call of "if", the places of its argument separators. The chain's operands
// are the entries of `operands` from first_operand on.
struct Level {
  std::size_t group_begin;  // where the group or function call starts
  std::size_t first_operand;
  bool after_power = false;       // the last token was a "^" of this chain
  bool is_if = false;             // a call of "if": group_begin is at "if("
  std::size_t commas = 0;         // the level's own argument separators so far
  std::size_t comma[2] = {0, 0};  // where the first two of them are
};

class Rewriter {
 public:
  explicit Rewriter(std::string_view text) : text_(text) {}

  // Fills origins (when not null) with the source position of each character
  // of the result.
  std::string Run(std::vector<std::size_t>* origins) {
    levels_.push_back(Level{0, 0});
    std::size_t i = 0;
    const std::size_t size = text_.size();
    bool expect_operand = true;
    while (i < size && text_[i] != '\0') {  // the parser reads no further than a NUL
      const char c = text_[i];
      if (IsBlank(c)) {
        ++i;
        continue;
      }
      if (!expect_operand) {
        const std::size_t word = WordOperatorLength(i);
        if (c == '^') {
          levels_.back().after_power = true;
          expect_operand = true;
          ++i;
        } else if (c == ')') {
          CloseGroup(i);
          ++i;
        } else if (c == ',') {
          Comma(i);
          expect_operand = true;
          ++i;
        } else if (word > 0) {
          EndChain(false);
          expect_operand = true;
          i += word;
        } else if (c == '(' || c == '"' || IsDigit(c) || c == '.' || IsNameStart(c)) {
          expect_operand = true;  // two operands in a row: not a formula; read it as one
        } else {
          EndChain(false);  // any other operator (or its first character)
          expect_operand = true;
          ++i;
        }
        continue;
      }
      if (c == '+' || c == '-') {  // a sign
        if (levels_.back().after_power) EndChain(true);
        ++i;
      } else if (c == '(') {
        OpenGroup(i);
        ++i;
      } else if (c == ')') {  // "f()", or not a formula
        CloseGroup(i);
        expect_operand = false;
        ++i;
      } else if (IsDigit(c) || c == '.') {
        const std::size_t end = NumberEnd(i);
        Operand(i, end);
        expect_operand = false;
        i = end;
      } else if (IsNameStart(c)) {
        std::size_t end = i + 1;
        while (end < size && IsNameChar(text_[end])) ++end;
        if (end < size && text_[end] == '(') {  // a function call
          OpenGroup(i);
          levels_.back().is_if = text_.substr(i, end - i) == "if";
          i = end + 1;
        } else {
          Operand(i, end);
          expect_operand = false;
          i = end;
        }
      } else if (c == '"') {
        const std::size_t end = StringEnd(i);
        Operand(i, end);
        expect_operand = false;
        i = end;
      } else if (c == ',') {  // after "(" or ",": not a formula
        Comma(i);
        ++i;
      } else {  // the second character of "<=", or not a formula
        EndChain(false);
        ++i;
      }
    }
    while (!levels_.empty()) {
      EndChain(false);
      levels_.pop_back();
    }
    std::sort(edits_.begin(), edits_.end());
    std::string out;
    std::size_t added = 0;
    for (const Edit& edit : edits_) added += edit.text.size();
    out.reserve(text_.size() + added);
    std::size_t copied = 0;
    auto copy = [&](std::size_t end) {
      out.append(text_.substr(copied, end - copied));
      if (origins != nullptr) {
        for (std::size_t k = copied; k < end; ++k) origins->push_back(k);
      }
    };
    for (const Edit& edit : edits_) {
      copy(edit.position);
      out.append(edit.text);
      if (origins != nullptr) origins->insert(origins->end(), edit.text.size(), edit.position);
      copied = edit.position + edit.removed;
    }
    copy(text_.size());
    return out;
  }

 private:
  // The length of "and", "or" or "xor" at i, or 0. After an operand the parser
  // takes these words as operators even when more letters follow.
  std::size_t WordOperatorLength(std::size_t i) const {
    for (std::string_view word : {"xor", "or", "and"}) {
      if (text_.substr(i, word.size()) == word) return word.size();
    }
    return 0;
  }

  // Digits and points, then an exponent when one follows.
  std::size_t NumberEnd(std::size_t i) const {
    const std::size_t size = text_.size();
    while (i < size && (IsDigit(text_[i]) || text_[i] == '.')) ++i;
    if (i < size && (text_[i] == 'e' || text_[i] == 'E')) {
      std::size_t j = i + 1;
      if (j < size && (text_[j] == '+' || text_[j] == '-')) ++j;
      if (j < size && IsDigit(text_[j])) {
        while (j < size && IsDigit(text_[j])) ++j;
        i = j;
      }
    }
    return i;
  }

  // A quoted string with \" inside it; to the end when it is not closed.
  std::size_t StringEnd(std::size_t i) const {
    const std::size_t size = text_.size();
    for (++i; i < size; ++i) {
      if (text_[i] == '\\' && i + 1 < size) {
        ++i;
      } else if (text_[i] == '"') {
        return i + 1;
      }
    }
    return size;
  }

  void OpenGroup(std::size_t begin) { levels_.push_back(Level{begin, operands_.size()}); }

  void CloseGroup(std::size_t close) {
    EndChain(false);
    if (levels_.size() == 1) return;  // an unmatched ")": the parser rejects it
    const Level& level = levels_.back();
    const std::size_t begin = level.group_begin;
    if (level.is_if && level.commas == 2) {
      // if(c,a,b) -> ((c)?(a):(b))
      edits_.push_back(Edit{begin, Edit::kReplace, 3, "(("});
      edits_.push_back(Edit{level.comma[0], Edit::kReplace, 1, ")?("});
      edits_.push_back(Edit{level.comma[1], Edit::kReplace, 1, "):("});
      edits_.push_back(Edit{close, Edit::kReplace, 1, "))"});
    }
    levels_.pop_back();
    Operand(begin, close + 1);
  }

  void Comma(std::size_t position) {
    EndChain(false);
    Level& level = levels_.back();
    if (level.commas < 2) level.comma[level.commas] = position;
    ++level.commas;
  }

  void Operand(std::size_t begin, std::size_t end) {
    if (!levels_.back().after_power) EndChain(false);  // a new chain starts here
    levels_.back().after_power = false;
    operands_.push_back(Span{begin, end});
  }

  // Ends the current level's chain. With a signed tail its last operand is a
  // sign and what follows it, which gets no parenthesis of its own.
  void EndChain(bool signed_tail) {
    Level& level = levels_.back();
    const std::size_t count = operands_.size() - level.first_operand + (signed_tail ? 1 : 0);
    if (count >= 3) {
      const Span* chain = operands_.data() + level.first_operand;
      for (std::size_t k = 0; k < count - 2; ++k) {
        edits_.push_back(Edit{chain[0].begin, Edit::kOpen, 0, "("});
        edits_.push_back(Edit{chain[k + 1].end, Edit::kClose, 0, ")"});
      }
    }
    operands_.resize(level.first_operand);
    level.after_power = false;
  }

  std::string_view text_;
  std::vector<Level> levels_;
  std::vector<Span> operands_;
  std::vector<Edit> edits_;
};

}  // namespace

std::string RewriteForParser(std::string_view formula) {
  if (formula.find('^') == std::string_view::npos &&
      formula.find("if(") == std::string_view::npos) {
    return std::string(formula);
  }
  return Rewriter(formula).Run(nullptr);
}

std::string RewriteForParser(std::string_view formula, std::vector<std::size_t>* origins) {
  origins->clear();
  return Rewriter(formula).Run(origins);
}

}  // namespace tallyra
