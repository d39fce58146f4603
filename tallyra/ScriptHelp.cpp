#include "tallyra/ScriptHelp.h"

#include <cstddef>
#include <string>
#include <vector>

#include "tallyra/ScriptChars.h"

namespace tallyra::script {

namespace {

struct Topic {
  const char* name;
  const char* summary;
  const char* text;
};

const Topic kTopics[] = {
    {"statements", "the statements, comments and blocks of a script",
     "A script is one statement a line, run from top to bottom against one\n"
     "object instance. Blank lines are skipped; a # outside quotes starts a\n"
     "comment that runs to the end of the line. Blanks between words are free,\n"
     "and so is the case of the letters of words; texts in quotes stay as written.\n"
     "A UTF-8 byte-order mark at the start of a script is skipped.\n"
     "  repeat N ... end     runs the lines between N times (N worked out once)\n"
     "  on CONDITION ... end runs the lines between when the condition holds, or,\n"
     "                       for a condition that the object raises, each time it\n"
     "                       raises it\n"
     "Blocks nest at most 100 deep; expressions, parentheses and signs at most\n"
     "200 inside each other. Chains of + - * may be of any length.\n"
     "Examples:\n"
     "    Append element \"x\" to set \"a\"    # a comment after a statement\n"
     "    repeat 3\n"
     "      Append element Length(\"a\") to set \"a\"\n"
     "    end\n"
     "    print asString$(\"a\", 10)\n"},
    {"numbers", "numbers, texts and arithmetic, and how the object reads them",
     "A number is an optional minus, digits, and an optional point and more\n"
     "digits. A whole number within the 32-bit range is an integer, any other a\n"
     "single-precision float. + - * and parentheses work on numbers; integer\n"
     "arithmetic wraps around at 32 bits, with a float on either side it is float\n"
     "arithmetic. A text is in double quotes; \\\" stands for a quote and \\\\ for a\n"
     "backslash; a NUL byte is refused.\n"
     "The object reads every number argument of its actions, conditions and\n"
     "expressions as an integer, truncated toward zero: Append element 2.5 to set\n"
     "\"a\" appends 2, and print 2.5 == 2 is true. tallyra warns of a number\n"
     "written with a fraction where it is cut off.\n"
     "Examples:\n"
     "    print 7 * (2 + 3) - 1\n"
     "    print 2147483647 + 1\n"
     "    print 0.5 * 3\n"
     "    print \"a \\\"quoted\\\" text\"\n"},
    {"formulas", "the formula language of the define actions",
     "A formula computes each element of a formula, mapped, subsequence or\n"
     "filtered list. The object stays silent about a formula that it cannot read\n"
     "(every element is empty); tallyra says on standard error, at the defining\n"
     "line, where and why.\n"
     "Variables (one letter, as the parameter's title says):\n"
     "  Define list ... by the formula           n, the index from 0\n"
     "  Define mapped list ... on elements of A  n, and x: A's element as a number\n"
     "  ... on elements of A and B               n, a and b: A's and B's elements\n"
     "  Define ... the subsequence of A ...      n; the result is the index into A\n"
     "  ... applying the filter F to the set A   n, x; an element passes when F is\n"
     "                                           not 0\n"
     "Operators, from the lowest precedence to the highest (all group from the\n"
     "left: 2^3^2 is 64, 8-2-1 is 5):\n"
     "  =                  gives the variable on its left the value on its right\n"
     "  and or xor         bitwise, on operands truncated to 32-bit integers\n"
     "  <= >= != == < >    1 when it holds, else 0\n"
     "  + -                sum, difference\n"
     "  * / and unary -    product, quotient, negation (-2^2 is -4)\n"
     "  ^                  power\n"
     "Functions: sin cos tan asin acos atan sinh cosh tanh asinh acosh atanh,\n"
     "log2, log10 and log (base 10), ln, exp, sqrt, abs, sign, rint (floor of\n"
     "x + 0.5), mod(a, b) (remainder of the truncated operands, the sign of a),\n"
     "if(c, a, b) (a when c is not 0, else b), and sum avg min max of one or\n"
     "more arguments. Constants: _pi and _e. Names are case-sensitive.\n"
     "Examples:\n"
     "    Define list \"squares\" by the formula \"n*n+1\"\n"
     "    print asString$(\"squares\", 5)\n"
     "    Define \"odd\" to be the subsequence of \"<p>\" by the formula \"2*n+1\"\n"
     "    print asString$(\"odd\", 4)\n"
     "    Define \"big\" to be the result of applying the filter \"x > 10\" to the set \"<p>\"\n"
     "    print ElementAt(\"big\", 0)\n"
     "    Define list \"m\" by the formula \"if(mod(n, 2), -n, n) + 2^3^2\"\n"
     "    print ElementAt(\"m\", 3)\n"},
    {"time", "time STATEMENT: how long one statement takes",
     "time STATEMENT runs the statement (not a block) and prints, after its own\n"
     "output, how long it took in milliseconds, calls into the object included:\n"
     "  time: 0.412 ms\n"
     "The figure depends on the machine; a frame at 60 frames a second lasts\n"
     "16.7 ms.\n"
     "Examples:\n"
     "    Define list \"squares\" by the formula \"n*n\"\n"
     "    time print ElementAt(\"squares\", 1000)\n"},
    {"plot", "plot \"NAME\" N: a chart of a list's first N elements",
     "plot \"NAME\" N draws the first N elements (at most 200, and no more than fit\n"
     "the terminal's width) of a list, read as numbers, as a bar chart of Unicode\n"
     "block characters, 8 rows high, one column an element, from the lowest value\n"
     "to the highest, both labelled on the left, and the first and last index\n"
     "below. A request cut short says so on a line before the chart. Empty\n"
     "elements (past the end, or of a formula that cannot be worked out) leave\n"
     "their column blank. Reading stops after 5 seconds (a filter that finds\n"
     "nothing searches long for each element), and at Ctrl-C.\n"
     "Examples:\n"
     "    Define list \"squares\" by the formula \"n*n\"\n"
     "    plot \"squares\" 20\n"
     "    plot \"<primes>\" 30\n"},
    {"eval", "eval \"FORMULA\" n=3 x=2.5: what a formula gives",
     "eval \"FORMULA\" followed by values of its variables (n, x, a, b, as\n"
     "NAME=NUMBER) prints what a list's formula gives for them, worked out by the\n"
     "object's own formula code in double precision. n is always there (0 unless\n"
     "given); x, a and b only when given, as in the lists that have them. A formula\n"
     "that cannot be read prints where and why, with the fix of a common mistake;\n"
     "one that fails for these values (mod by 0) says so.\n"
     "Examples:\n"
     "    eval \"n*n\" n=3\n"
     "    eval \"if(x > 2, x, -x)\" x=2.5\n"
     "    eval \"a*b + n\" n=1 a=2 b=3\n"},
    {"data", "save and load: sets and List objects to and from files",
     "save \"NAME\" to \"FILE\" writes a set's elements, one a line, as the object\n"
     "gives them (ElementAtStr$); a FILE ending in .csv gets RFC 4180 CSV, an\n"
     "index and a value column, values quoted where needed; \"-\" writes to the\n"
     "output. load \"FILE\" into \"NAME\" appends each line (or each CSV value)\n"
     "with the object's appending actions: a whole number within 32 bits as a\n"
     "number, anything else (and a quoted CSV value) as a text; a number with a\n"
     "fraction stays a text, since the actions take integers. Both also take a\n"
     "List object: save List object \"NAME\" to ..., load ... into List object\n"
     "\"NAME\". Each moves at most 1,048,576 elements (load reads at most 64 MiB;\n"
     "save reads for at most 10 seconds, and stops at Ctrl-C) and prints how many\n"
     "it moved and where it stopped, if it did.\n"
     "Examples:\n"
     "    Append element 3 to set \"a\"\n"
     "    Append element \"x, y\" to set \"a\"\n"
     "    save \"a\" to \"-\"\n"},
    {"exit", "exit status, --strict, warnings and messages",
     "tallyra run exits with\n"
     "  0  the script ran to its end\n"
     "  1  the module or the script file cannot be read\n"
     "  2  a line cannot be read or run (FILE:LINE: what was expected), or a\n"
     "     wrong command line\n"
     "  3  with --strict: the script ran to its end, but the object showed a\n"
     "     message box or tallyra gave a warning\n"
     "A script is read and checked whole before its first line runs: when a line\n"
     "cannot be read, every such line is reported and nothing runs.\n"
     "Warnings (FILE:LINE: warning: ...) go to standard error and the script goes\n"
     "on: a formula that cannot be read or that assigns with =, a number with a\n"
     "fraction where the object reads an integer, a set read that nothing in the\n"
     "run has given a list. Each message box is also written to standard error as\n"
     "FILE:LINE: box: [CAPTION] TEXT, with the line that raised it.\n"},
};

std::string Trim(const std::string& s) {
  size_t b = s.find_first_not_of(" \t");
  if (b == std::string::npos) return std::string();
  size_t e = s.find_last_not_of(" \t");
  return s.substr(b, e - b + 1);
}

// The name of an expression as written, without its "(".
std::string ExpressionName(const OperationDescription& e) {
  std::string name = e.display;
  if (!name.empty() && name.back() == '(') name.pop_back();
  return name;
}

std::string Parameters(const OperationDescription& info, OperationKind kind) {
  std::string h;
  for (size_t i = 0; i < info.params.size(); ++i) {
    const ParamDescription& p = info.params[i];
    h += "  argument " + std::to_string(i + 1) + ": " +
         (ParameterTakesText(kind, p.type) ? "a text" : "a number, read as an integer") +
         (p.title.empty() ? "" : ", " + Quote(p.title)) + "\n";
  }
  return h;
}

}  // namespace

std::string HelpText(const ScriptGrammar& grammar) {
  std::string h;
  h += "Statements (one a line; blank lines are skipped, and # outside quotes starts a comment):\n";
  h += "  ACTION                         run an action, written as shown below\n";
  h +=
      "  action CODE ARG ARG ...        run an action by its code, arguments separated by blanks\n";
  h += "  print EXPRESSION               print a value (+ - * and parentheses work on numbers)\n";
  h += "  EXPRESSION                     the same: a bare expression prints its value\n";
  h += "  print CONDITION                print true or false\n";
  h += "  print List object \"NAME\"       print a List object's items as [a, b]\n";
  h += "  List object \"NAME\" holds \"a\", \"b\"   make a List object (or: holds nothing)\n";
  h += "  repeat N ... end               run the lines between N times\n";
  h += "  on CONDITION ... end           run the lines between when the condition holds\n";
  h += "  time STATEMENT                 run one statement and print how long it took\n";
  h += "  plot \"NAME\" N                  draw the first N elements of a list as a chart\n";
  h += "  help [TOPIC]                   this text, or one topic (help topics lists them)\n";
  h += "  sets                           list the sets given a list, with kind and length\n";
  h += "  eval \"FORMULA\" n=3 x=2.5       print what a formula gives for these values\n";
  h += "  save \"NAME\" to \"FILE\"          write a set's elements to a file (.csv; - output)\n";
  h += "  load \"FILE\" into \"NAME\"        append a file's lines (or CSV values) to a set\n";
  h += "  quit, exit                     end the script or the session here\n";
  h += "An argument is a \"text\" (\\\" and \\\\ escape), a number (-2, 2.5) or an expression,\n";
  h += "with + - * and parentheses on numbers; action CODE takes them in parentheses.\n";
  h += "The object reads every number argument as an integer: 2.5 is taken as 2.\n";
  h += "\nActions:\n";
  for (const OperationDescription& a : grammar.description().operations[OperationKind::kAction]) {
    h += "  " + std::to_string(a.code) + (a.code < 10 ? "   " : "  ") +
         grammar.FormOf(OperationKind::kAction, a.code) + "\n";
  }
  h += "\nConditions:\n";
  for (const OperationDescription& c :
       grammar.description().operations[OperationKind::kCondition]) {
    h += "  " + grammar.FormOf(OperationKind::kCondition, c.code) +
         (grammar.IsRaisedCondition(c.code) ? "   (raised by the object: on blocks wait for it)"
                                            : "") +
         "\n";
  }
  h += "\nExpressions:\n";
  for (const OperationDescription& e :
       grammar.description().operations[OperationKind::kExpression]) {
    h += "  " + grammar.FormOf(OperationKind::kExpression, e.code) + "\n";
  }
  return h;
}

bool HelpOn(const ScriptGrammar& grammar, const std::string& topic, std::string* text) {
  const std::string t = Trim(topic);
  if (t.empty()) {
    *text = HelpText(grammar);
    return true;
  }
  if (SameText(t, "topics")) {
    std::string h = "help TOPIC, for TOPIC one of:\n";
    for (const Topic& k : kTopics) {
      std::string name = k.name;
      h += "  " + name + std::string(name.size() < 12 ? 12 - name.size() : 1, ' ') + k.summary +
           "\n";
    }
    h += "or an action (its code, or its first words: help Append element), a\n"
         "condition or an expression (help Length).\n";
    *text = h;
    return true;
  }
  for (const Topic& k : kTopics) {
    if (SameText(t, k.name)) {
      *text = k.text;
      return true;
    }
  }
  std::string h;
  // An action by its code.
  bool number = true;
  for (char c : t) number = number && IsDigit(c);
  if (number && t.size() < 6) {
    const size_t code = std::stoul(t);
    if (code < grammar.description().operations[OperationKind::kAction].size()) {
      const OperationDescription& a =
          grammar.description().operations[OperationKind::kAction][code];
      *text = "action " + t + ": " + grammar.FormOf(OperationKind::kAction, a.code) + "\n" +
              Parameters(a, OperationKind::kAction);
      return true;
    }
  }
  std::string name = t;
  if (name.back() == '(') name.pop_back();
  for (const OperationDescription& e :
       grammar.description().operations[OperationKind::kExpression]) {
    if (SameText(ExpressionName(e), name)) {
      h += "expression " + grammar.FormOf(OperationKind::kExpression, e.code) + ", giving " +
           ((e.flags & kExpressionResultText) != 0 ? "a text" : "a number") + "\n" +
           Parameters(e, OperationKind::kExpression);
    }
  }
  for (const OperationDescription& c :
       grammar.description().operations[OperationKind::kCondition]) {
    const std::string form = grammar.FormOf(OperationKind::kCondition, c.code);
    if (StartsWithText(form, t) ||
        (!c.params.empty() && SameText(t, "==") && form.find("==") != std::string::npos)) {
      h += "condition " + form +
           (grammar.IsRaisedCondition(c.code) ? " (raised by the object: on blocks wait for it)"
                                              : "") +
           "\n" + Parameters(c, OperationKind::kCondition);
    }
  }
  for (const OperationDescription& a : grammar.description().operations[OperationKind::kAction]) {
    const std::string form = grammar.FormOf(OperationKind::kAction, a.code);
    if (StartsWithText(form, t)) {
      h += "action " + std::to_string(a.code) + ": " + form + "\n" +
           Parameters(a, OperationKind::kAction);
    }
  }
  if (h.empty()) {
    *text = "no help on " + Quote(t) + ": help topics lists the topics\n";
    return false;
  }
  *text = h;
  return true;
}

}  // namespace tallyra::script
