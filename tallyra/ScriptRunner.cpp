#include "tallyra/ScriptRunner.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <utility>

#include "tallyra/Plot.h"
#include "tallyra/ScriptError.h"

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

ScriptRunner::ScriptRunner(ScriptHost& host, Output output)
    : host_(host), output_(std::move(output)) {
  host_.SetObserver(this);
}

ScriptRunner::~ScriptRunner() { host_.SetObserver(nullptr); }

void ScriptRunner::MessageBoxShown(const std::string& caption, const std::string& text) {
  ++boxes_shown_;
  output_(FormatMessageBox(caption, text));
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
      const std::vector<ScriptArg> args = ArgsOf(expr.operands, line);
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

std::vector<ScriptArg> ScriptRunner::ArgsOf(const std::vector<ScriptExpr>& exprs, int line) {
  std::vector<ScriptArg> args;
  args.reserve(exprs.size());
  for (const ScriptExpr& e : exprs) {
    args.push_back(ScriptArg{e.text, [this, &e, line] { return Evaluate(e, line); }});
  }
  return args;
}

bool ScriptRunner::TestCondition(int code, const std::vector<ScriptExpr>& args, int line) {
  const std::vector<ScriptArg> values = ArgsOf(args, line);
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
  int32_t count = std::min(ValueAsInteger(Evaluate(statement.args.at(1), line)), kMaxPlotElements);
  if (length >= 0) count = std::min(count, length);
  std::vector<std::optional<double>> values;
  // Each read is bounded, but a filter that finds nothing takes its whole
  // search each time: past a few seconds, draw what has been read.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(kPlotSeconds);
  for (int32_t i = 0; i < count; ++i) {
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

void ScriptRunner::Execute(const ScriptStatement& statement) {
  const int line = statement.line;
  StopIfAsked(line);
  switch (statement.kind) {
    case ScriptStatement::Kind::kAction: {
      const std::vector<ScriptArg> args = ArgsOf(statement.args, line);
      CallObject(line, [&] { host_.RunAction(statement.code, args); });
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
  }
}

}  // namespace tallyra::script
