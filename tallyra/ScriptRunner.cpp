#include "tallyra/ScriptRunner.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <utility>

#include "abi/OperationCodes.h"
#include "tallyra/DataFormat.h"
#include "tallyra/FormulaTrial.h"
#include "tallyra/Plot.h"
#include "tallyra/ScriptChars.h"
#include "tallyra/ScriptError.h"
#include "tallyra/TextFile.h"

namespace tallyra::script {

namespace {

// 32-bit integer arithmetic wraps around, as the host's integers do.
int32_t Wrap(int64_t value) { return static_cast<int32_t>(static_cast<uint32_t>(value)); }

ScriptValue Arithmetic(char op, const ScriptValue& a, const ScriptValue& b) {
  if (a.kind == ScriptValue::Kind::kInteger && b.kind == ScriptValue::Kind::kInteger) {
    int64_t x = a.integer;
    int64_t y = b.integer;
    switch (op) {
      case '+':
        return ScriptValue::Integer(Wrap(x + y));
      case '-':
        return ScriptValue::Integer(Wrap(x - y));
      default:
        return ScriptValue::Integer(Wrap(x * y));
    }
  }
  float x = ValueAsFloat(a);
  float y = ValueAsFloat(b);
  switch (op) {
    case '+':
      return ScriptValue::Float(x + y);
    case '-':
      return ScriptValue::Float(x - y);
    default:
      return ScriptValue::Float(x * y);
  }
}

}  // namespace

std::string FormatMessageBox(const std::string& caption, const std::string& text) {
  std::string line = "[" + caption + "] ";
  for (char c : text) {
    if (c == '\n') {
      line += "\\n";
    } else {
      line += c;
    }
  }
  return line;
}

ScriptRunner::ScriptRunner(ScriptHost& host, Output output, Report warn, Report box)
    : host_(host), output_(std::move(output)), warn_(std::move(warn)), box_(std::move(box)) {
  host_.SetObserver(this);
}

ScriptRunner::~ScriptRunner() { host_.SetObserver(nullptr); }

void ScriptRunner::MessageBoxShown(const std::string& caption, const std::string& text) {
  ++boxes_shown_;
  const std::string line = FormatMessageBox(caption, text);
  output_(line);
  if (box_) box_(call_line_, line);
}

void ScriptRunner::Warn(int line, const std::string& message) {
  ++warnings_;
  if (warn_) warn_(line, message);
}

void ScriptRunner::CheckSetName(const ScriptValue& name, int line) {
  if (!name.IsText() || sets_.Knows(name.text)) return;
  if (std::find(being_given_.begin(), being_given_.end(), name.text) != being_given_.end()) return;
  if (set_name_warnings_ >= kMaxSetNameWarnings) {
    ++warnings_;  // counted, no longer shown
    return;
  }
  if (!warned_.insert({line, name.text}).second) return;
  if (++set_name_warnings_ == kMaxSetNameWarnings) {
    Warn(line, "no set is named \"" + name.text + "\"; further reads of sets that no list was " +
                   "given are counted, not shown");
    return;
  }
  const std::string close = sets_.CloseName(name.text);
  Warn(line, "no set is named \"" + name.text + "\" (nothing in this run has given it a list)" +
                 (close.empty() ? "" : "; did you mean \"" + close + "\"?"));
}

void ScriptRunner::EventRaised(int condition_code) { RunEventBlocks(condition_code); }

void ScriptRunner::Run(const ScriptStatement& statement) {
  event_depth_ = 0;
  call_depth_ = 0;
  Execute(statement);
}

void ScriptRunner::StopIfAsked(int line) const {
  if (stop_ != nullptr && *stop_ != 0) throw ScriptError(line, "interrupted; every set is kept");
}

void ScriptRunner::ExecuteAll(const std::vector<ScriptStatement>& statements) {
  for (const ScriptStatement& s : statements) Execute(s);
}

template <typename Call>
auto ScriptRunner::CallObject(int line, Call call) {
  if (call_depth_ >= kMaxCallDepth) {
    throw ScriptError(
        line, "calls into the object nest more than " + std::to_string(kMaxCallDepth) + " deep");
  }
  struct Level {  // restored however the call ends
    ScriptRunner& runner;
    int line;
    Level(ScriptRunner& r, int l) : runner(r), line(r.call_line_) {
      ++runner.call_depth_;
      runner.call_line_ = l;
    }
    ~Level() {
      --runner.call_depth_;
      runner.call_line_ = line;
    }
    Level(const Level&) = delete;
    Level& operator=(const Level&) = delete;
  } level(*this, line);
  return call();
}

ScriptValue ScriptRunner::Evaluate(const ScriptExpr& expr, int line) {
  switch (expr.kind) {
    case ScriptExpr::Kind::kLiteral:
      return expr.literal;
    case ScriptExpr::Kind::kCall: {
      const std::vector<ScriptArg> args =
          ArgsOf(OperationKind::kExpression, expr.code, expr.operands, line);
      return CallObject(line, [&] { return host_.Evaluate(expr.code, args); });
    }
    case ScriptExpr::Kind::kNegate: {
      ScriptValue v = Evaluate(expr.operands.at(0), line);
      if (v.kind == ScriptValue::Kind::kInteger) {
        return ScriptValue::Integer(Wrap(-static_cast<int64_t>(v.integer)));
      }
      return ScriptValue::Float(-ValueAsFloat(v));
    }
    case ScriptExpr::Kind::kSum:
    case ScriptExpr::Kind::kProduct: {
      // From the left, one operand at a time: a chain's length costs no depth.
      ScriptValue value = Evaluate(expr.operands.at(0), line);
      for (size_t i = 1; i < expr.operands.size(); ++i) {
        const char op = expr.kind == ScriptExpr::Kind::kSum ? expr.signs.at(i - 1) : '*';
        value = Arithmetic(op, value, Evaluate(expr.operands[i], line));
      }
      return value;
    }
  }
  return ScriptValue();
}

std::vector<ScriptArg> ScriptRunner::ArgsOf(OperationKind kind, int code,
                                            const std::vector<ScriptExpr>& exprs, int line,
                                            std::vector<ScriptValue>* fetched) {
  const std::vector<int> reads = SetCatalog::SetsRead(kind, code);
  const int given = kind == OperationKind::kAction ? SetCatalog::SetGiven(code) : -1;
  if (fetched != nullptr) fetched->assign(exprs.size(), ScriptValue());
  std::vector<ScriptArg> args;
  args.reserve(exprs.size());
  for (size_t i = 0; i < exprs.size(); ++i) {
    const ScriptExpr& e = exprs[i];
    const bool read = std::find(reads.begin(), reads.end(), static_cast<int>(i)) != reads.end();
    const bool gives = given == static_cast<int>(i);
    args.push_back(ScriptArg{e.text, [this, &e, line, read, gives, fetched, i] {
                               ScriptValue v = Evaluate(e, line);
                               if (read) CheckSetName(v, line);
                               if (gives && v.IsText()) being_given_.push_back(v.text);
                               if (fetched != nullptr) (*fetched)[i] = v;
                               return v;
                             }});
  }
  return args;
}

ScriptValue ScriptRunner::CallOnSet(int code, const std::string& name, int line,
                                    const ScriptValue* index) {
  std::vector<ScriptArg> args = {ScriptArg{true, [&name] { return ScriptValue::Text(name); }}};
  if (index != nullptr) args.push_back(ScriptArg{false, [index] { return *index; }});
  return CallObject(line, [&] { return host_.Evaluate(code, args); });
}

bool ScriptRunner::TestCondition(int code, const std::vector<ScriptExpr>& args, int line) {
  const std::vector<ScriptArg> values = ArgsOf(OperationKind::kCondition, code, args, line);
  return CallObject(line, [&] { return host_.TestCondition(code, values); });
}

void ScriptRunner::RunEventBlocks(int code) {
  const int line = call_line_;  // the statement whose call raised the event
  for (size_t i = 0; i < event_blocks_.size(); ++i) {
    // Blocks may be added while one runs; index, don't iterate.
    const std::shared_ptr<const ScriptStatement> block = event_blocks_[i];
    if (block->code != code) continue;
    if (event_depth_ >= kMaxEventDepth) {
      throw ScriptError(line, "events nest more than " + std::to_string(kMaxEventDepth) +
                                  " deep: an on block raises the event that it waits for");
    }
    ++event_depth_;
    if (TestCondition(block->code, block->args, block->line)) ExecuteAll(block->body);
    --event_depth_;
  }
}

void ScriptRunner::Plot(const ScriptStatement& statement) {
  const int line = statement.line;
  const ScriptValue name = Evaluate(statement.name, line);
  const int32_t length = ValueAsInteger(Evaluate(statement.args.at(0), line));
  CheckSetName(name, line);
  const int32_t requested = ValueAsInteger(Evaluate(statement.args.at(1), line));
  int32_t count = length >= 0 ? std::min(requested, length) : requested;
  std::string cut;
  if (count > kMaxPlotElements) {
    count = kMaxPlotElements;
    cut = "at most " + std::to_string(kMaxPlotElements) + " are plotted";
  }
  if (plot_width_ > 0 && count > std::max(plot_width_ - kPlotLabelColumns, 1)) {
    count = std::max(plot_width_ - kPlotLabelColumns, 1);
    cut = "that many fit the terminal's " + std::to_string(plot_width_) + " columns";
  }
  if (!cut.empty()) {
    output_(
        "(plotting the first " + std::to_string(count) + " of " +
        (length >= 0 ? std::to_string(std::min(requested, length)) : std::to_string(requested)) +
        " elements: " + cut + ")");
  }
  std::vector<std::optional<double>> values;
  // Each read is bounded, but a filter that finds nothing takes its whole
  // search each time: past a few seconds, draw what has been read.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(kPlotSeconds);
  for (int32_t i = 0; i < count; ++i) {
    StopIfAsked(line);
    if (i > 0 && std::chrono::steady_clock::now() > deadline) {
      output_("(reading stopped after " + std::to_string(kPlotSeconds) + " seconds, at element " +
              std::to_string(i) + ")");
      break;
    }
    // Read as a text, so that an empty element stays apart from 0.
    const std::vector<ScriptArg> args = {ScriptArg{true, [&name] { return name; }},
                                         ScriptArg{false, [i] { return ScriptValue::Integer(i); }}};
    const ScriptValue element =
        CallObject(line, [&] { return host_.Evaluate(statement.code, args); });
    char* end = nullptr;
    const double v = std::strtod(element.text.c_str(), &end);
    values.push_back(end != element.text.c_str() ? std::optional<double>(v) : std::nullopt);
  }
  for (const std::string& l : DrawPlot(values)) output_(l);
}

void ScriptRunner::ListSets(int line) {
  for (const SetCatalog::Entry& e : sets_.entries()) {
    const int32_t length = ValueAsInteger(CallOnSet(CodeOf(ExpressionCode::kLength), e.name, line));
    std::string text =
        Quote(e.name) + "  " + e.kind + "  " +
        (length < 0 ? std::string("unbounded")
                    : std::to_string(length) + (length == 1 ? " element" : " elements"));
    std::string bases;
    for (const std::string& b : e.bases) bases += (bases.empty() ? "" : " and ") + Quote(b);
    if (!bases.empty()) text += "  on " + bases;
    if (!e.formula.empty()) text += "  formula " + Quote(e.formula);
    output_(text);
  }
}

void ScriptRunner::Save(const ScriptStatement& statement) {
  const int line = statement.line;
  const std::string name = FormatValue(Evaluate(statement.name, line));
  const std::string file = FormatValue(Evaluate(statement.expr, line));
  const std::string what = (statement.list_object ? "List object " : "") + Quote(name);
  std::vector<std::string> items;
  std::string stopped;
  if (statement.list_object) {
    if (!host_.GetListObject(name, &items)) {
      throw ScriptError(line, "no List object is named " + Quote(name));
    }
  } else {
    CheckSetName(ScriptValue::Text(name), line);
    const int32_t length = ValueAsInteger(CallOnSet(CodeOf(ExpressionCode::kLength), name, line));
    int32_t count = length;
    if (length < 0 || length > kMaxTransferElements) {
      count = kMaxTransferElements;
      stopped = length < 0 ? "the list is unbounded; at most " : "the list is longer; at most ";
      stopped += std::to_string(kMaxTransferElements) + " elements are saved";
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(kTransferSeconds);
    for (int32_t i = 0; i < count; ++i) {
      StopIfAsked(line);
      if (std::chrono::steady_clock::now() > deadline) {
        stopped = "reading stopped after " + std::to_string(kTransferSeconds) + " seconds";
        break;
      }
      const ScriptValue index = ScriptValue::Integer(i);
      items.push_back(CallOnSet(CodeOf(ExpressionCode::kElementAtStr), name, line, &index).text);
    }
  }
  const bool csv = IsCsvPath(file);
  std::vector<std::string> lines;
  if (csv) lines.push_back(kCsvHeader);
  for (size_t i = 0; i < items.size(); ++i)
    lines.push_back(csv ? CsvRecord(i, items[i]) : items[i]);
  if (file == "-") {
    for (const std::string& l : lines) output_(l);
  } else {
    std::string text;
    for (const std::string& l : lines) text += l + (csv ? "\r\n" : "\n");
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    if (!out) throw ScriptError(line, "cannot write " + file + ": " + std::strerror(errno));
  }
  output_("(saved " + std::to_string(items.size()) + " element" + (items.size() == 1 ? "" : "s") +
          " of " + what + " to " + (file == "-" ? "the output" : file) +
          (stopped.empty() ? "" : "; stopped there: " + stopped) + ")");
}

void ScriptRunner::Load(const ScriptStatement& statement) {
  const int line = statement.line;
  const std::string file = FormatValue(Evaluate(statement.expr, line));
  const std::string name = FormatValue(Evaluate(statement.name, line));
  std::ifstream in(file, std::ios::binary);
  if (!in) throw ScriptError(line, "cannot read " + file + ": " + std::strerror(errno));
  std::string text;
  std::string error;
  bool cut_bytes = false;
  if (!ReadText(in, kMaxTransferBytes, &text, &cut_bytes, &error)) {
    throw ScriptError(line, "cannot read " + file + ": " + error);
  }
  std::vector<DataValue> values;
  bool cut = false;
  if (!ReadValues(text, IsCsvPath(file), kMaxTransferElements, &values, &cut, &error)) {
    throw ScriptError(line, "cannot read " + file + ": " + error);
  }
  std::string stopped;
  if (cut) stopped = "at most " + std::to_string(kMaxTransferElements) + " elements are loaded";
  if (cut_bytes) stopped = "at most " + std::to_string(kMaxTransferBytes >> 20) + " MiB are read";
  size_t loaded = 0;
  size_t fractions = 0;  // numbers that the object would cut to integers, kept as texts
  if (statement.list_object) {
    std::vector<std::string> items;
    host_.GetListObject(name, &items);
    for (DataValue& v : values) items.push_back(std::move(v.text));
    if (!host_.SetListObject(name, items, &error)) throw ScriptError(line, error);
    loaded = values.size();
  } else {
    for (const DataValue& v : values) {
      StopIfAsked(line);
      ScriptValue number;
      const bool is_number = !v.quoted && ParseNumberLiteral(v.text, &number);
      const bool integer = is_number && number.kind == ScriptValue::Kind::kInteger;
      fractions += is_number && !integer;
      const ScriptValue element = integer ? number : ScriptValue::Text(v.text);
      const std::vector<ScriptArg> args = {
          ScriptArg{true, [&name] { return ScriptValue::Text(name); }},
          ScriptArg{!integer, [&element] { return element; }}};
      const int boxes = boxes_shown_;
      const ActionCode append = integer ? ActionCode::kAppendNumber : ActionCode::kAppendText;
      CallObject(line, [&] { host_.RunAction(CodeOf(append), args); });
      if (boxes_shown_ != boxes) {
        stopped = "the object refused element " + std::to_string(loaded);
        break;
      }
      if (loaded++ == 0) sets_.Stored(name);
    }
  }
  output_("(loaded " + std::to_string(loaded) + " element" + (loaded == 1 ? "" : "s") + " from " +
          file + " into " + (statement.list_object ? "List object " : "") + Quote(name) +
          (fractions > 0
               ? "; " + std::to_string(fractions) + (fractions == 1 ? " number" : " numbers") +
                     " with a fraction kept as texts, as the object's actions take "
                     "integers"
               : "") +
          (stopped.empty() ? "" : "; stopped there: " + stopped) + ")");
}

void ScriptRunner::Execute(const ScriptStatement& statement) {
  const int line = statement.line;
  StopIfAsked(line);
  switch (statement.kind) {
    case ScriptStatement::Kind::kAction: {
      std::vector<ScriptValue> fetched;
      const std::vector<ScriptArg> args =
          ArgsOf(OperationKind::kAction, statement.code, statement.args, line, &fetched);
      const int boxes = boxes_shown_;
      const size_t given = being_given_.size();
      struct Forget {  // the action's set is no longer being given, however it ends
        std::vector<std::string>& names;
        size_t size;
        ~Forget() { names.resize(size); }
      } forget{being_given_, given};
      CallObject(line, [&] { host_.RunAction(statement.code, args); });
      // An action that shows a box changes nothing.
      if (boxes_shown_ == boxes) sets_.ActionRan(statement.code, fetched);
      return;
    }
    case ScriptStatement::Kind::kPrintExpression:
      output_(FormatValue(Evaluate(statement.expr, line)));
      return;
    case ScriptStatement::Kind::kPrintCondition:
      output_(TestCondition(statement.code, statement.args, line) ? "true" : "false");
      return;
    case ScriptStatement::Kind::kPrintListObject: {
      std::string name = FormatValue(Evaluate(statement.name, line));
      std::vector<std::string> items;
      if (!host_.GetListObject(name, &items)) {
        throw ScriptError(line, "no List object is named \"" + name + "\"");
      }
      std::string text = "[";
      for (size_t i = 0; i < items.size(); ++i) text += (i == 0 ? "" : ", ") + items[i];
      output_(text + "]");
      return;
    }
    case ScriptStatement::Kind::kSetListObject: {
      std::string name = FormatValue(Evaluate(statement.name, line));
      std::vector<std::string> items;
      for (const ScriptExpr& e : statement.args) items.push_back(FormatValue(Evaluate(e, line)));
      std::string error;
      if (!host_.SetListObject(name, items, &error)) throw ScriptError(line, error);
      return;
    }
    case ScriptStatement::Kind::kRepeat: {
      int32_t count = ValueAsInteger(Evaluate(statement.expr, line));
      for (int32_t i = 0; i < count; ++i) {
        StopIfAsked(line);
        ExecuteAll(statement.body);
      }
      return;
    }
    case ScriptStatement::Kind::kIf:
      if (TestCondition(statement.code, statement.args, line)) ExecuteAll(statement.body);
      return;
    case ScriptStatement::Kind::kOnEvent:
      event_blocks_.push_back(std::make_shared<const ScriptStatement>(statement));
      return;
    case ScriptStatement::Kind::kTime: {
      const auto start = std::chrono::steady_clock::now();
      ExecuteAll(statement.body);
      const std::chrono::duration<double, std::milli> took =
          std::chrono::steady_clock::now() - start;
      char text[64];
      std::snprintf(text, sizeof(text), "time: %.3f ms", took.count());
      output_(text);
      return;
    }
    case ScriptStatement::Kind::kPlot:
      Plot(statement);
      return;
    case ScriptStatement::Kind::kQuit:
      throw ScriptQuit();
    case ScriptStatement::Kind::kSets:
      ListSets(line);
      return;
    case ScriptStatement::Kind::kEval: {
      std::vector<double> values;
      for (const ScriptExpr& e : statement.args) {
        const ScriptValue v = Evaluate(e, line);
        // A number written with a point comes as its text, to be read as a double.
        values.push_back(v.IsText() ? std::strtod(v.text.c_str(), nullptr)
                         : v.kind == ScriptValue::Kind::kInteger ? v.integer
                                                                 : v.real);
      }
      output_(TryFormula(FormatValue(Evaluate(statement.expr, line)), statement.words, values));
      return;
    }
    case ScriptStatement::Kind::kSave:
      Save(statement);
      return;
    case ScriptStatement::Kind::kLoad:
      Load(statement);
      return;
  }
}

}  // namespace tallyra::script
