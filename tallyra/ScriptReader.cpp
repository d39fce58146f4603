#include "tallyra/ScriptReader.h"

#include <cstdio>
#include <utility>

#include "tallyra/ScriptChars.h"
#include "tallyra/ScriptError.h"

namespace tallyra::script {

namespace {

// Whether the line's first word starts a block.
bool StartsBlock(const std::string& line) {
  size_t b = 0;
  while (b < line.size() && IsSpace(line[b])) ++b;
  size_t e = b;
  while (e < line.size() && IsWordChar(line[e])) ++e;
  const std::string word = line.substr(b, e - b);
  return SameText(word, "repeat") || SameText(word, "on");
}

}  // namespace

const char* BlockName(const ScriptStatement& block) {
  return block.kind == ScriptStatement::Kind::kRepeat ? "repeat" : "on";
}

ScriptReader::ScriptReader(const ScriptLanguage& language, Warn warn)
    : language_(language), warn_(std::move(warn)) {
  if (!warn_) {
    warn_ = [](int line, const std::string& message) {
      std::fflush(stdout);
      std::fprintf(stderr, "line %d: warning: %s\n", line, message.c_str());
    };
  }
}

bool ScriptReader::Read(const std::string& line, ScriptStatement* statement) {
  ++line_;
  std::string text = line;
  if (line_ == 1 && text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
  if (!text.empty() && text.back() == '\r') text.pop_back();
  ScriptStatement parsed;
  ScriptLanguage::LineKind kind;
  std::vector<std::string> warnings;
  try {
    kind = language_.ParseLine(text, &parsed, &warnings);
  } catch (const ScriptError& e) {
    if (open_bad_blocks_ && StartsBlock(text)) {
      ScriptStatement placeholder;
      placeholder.kind = ScriptStatement::Kind::kRepeat;
      placeholder.line = line_;
      open_.push_back(std::move(placeholder));
    }
    throw ScriptError(line_, e.what());
  }
  for (const std::string& w : warnings) warn_(line_, w);
  parsed.line = line_;
  switch (kind) {
    case ScriptLanguage::LineKind::kNothing:
      return false;
    case ScriptLanguage::LineKind::kBlockStart:
      if (parsed.kind == ScriptStatement::Kind::kOnEvent && !open_.empty()) {
        throw ScriptError(line_,
                          "an on block that waits for the object's event stands outside "
                          "every other block; this one is inside the " +
                              std::string(BlockName(open_.back())) + " block of line " +
                              std::to_string(open_.back().line));
      }
      if (static_cast<int>(open_.size()) >= kMaxBlockDepth) {
        throw ScriptError(
            line_, "expected end: blocks nest at most " + std::to_string(kMaxBlockDepth) + " deep");
      }
      open_.push_back(std::move(parsed));
      return false;
    case ScriptLanguage::LineKind::kBlockEnd: {
      if (open_.empty()) {
        throw ScriptError(line_, "expected a statement: this end closes no repeat or on block");
      }
      ScriptStatement block = std::move(open_.back());
      open_.pop_back();
      if (open_.empty()) {
        *statement = std::move(block);
        return true;
      }
      open_.back().body.push_back(std::move(block));
      return false;
    }
    case ScriptLanguage::LineKind::kStatement:
      break;
  }
  if (open_.empty()) {
    *statement = std::move(parsed);
    return true;
  }
  open_.back().body.push_back(std::move(parsed));
  return false;
}

void ScriptReader::Finish() const {
  if (open_.empty()) return;
  const ScriptStatement& block = open_.back();
  throw ScriptError(block.line, "expected end for the " + std::string(BlockName(block)) +
                                    " block that starts here, found the end of the script");
}

}  // namespace tallyra::script
