// Replays, through the simulated host, the requests that were found to hold
// the host too long, to take too much memory or to answer wrongly, and prints
// for each the longest single host call and the growth of memory.
//
//   findings [--cap=SECONDS] [ID ...]     (IDs such as 1 2a 5; all by default)
//
// Each case runs in a forked child with the module linked in, so that a case
// neither sees another's memory nor can stop the others: the child builds its
// sets (not measured), notes its resident size, then makes the calls of the
// case. A child still running after the cap is killed and its time reported
// as "> cap".
//
// Longest call: of every call that the case makes into the module, nested
// calls included, the time of the module's own work: the call's time less the
// time of the calls nested in it (an expression worked out while the routine
// fetches its parameter, an event handled inside GenerateEvent). Wall-clock
// and the thread's CPU time are both given; the CPU time is the one that
// other work on the machine disturbs least.
//
// Memory: the peak resident size of the child less its resident size once its
// sets are built (the parent polls the peak while the child runs, so a child
// that is killed still has a figure).
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "simhost/testing/LinkedModule.h"
#include "simhost/SimulatedHost.h"

namespace tallyra {

using tallyra::simhost::Arg;
using tallyra::simhost::HostResult;
using tallyra::simhost::LinkedModuleExports;
using tallyra::simhost::ResultKind;
using tallyra::simhost::SimulatedHost;
using tallyra::simhost::SimulatedObject;

namespace {

Arg T(const std::string& text) { return Arg::Text(text); }
Arg N(double number) { return Arg::Number(number); }

double CpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

double WallSeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// A field of /proc/<pid>/status in kB ("VmRSS", "VmHWM"); -1 when unread.
long StatusKb(const std::string& pid, const char* field) {
  std::ifstream status("/proc/" + pid + "/status");
  std::string line;
  const std::string key = std::string(field) + ":";
  while (std::getline(status, line)) {
    if (line.compare(0, key.size(), key) == 0) return std::atol(line.c_str() + key.size());
  }
  return -1;
}

// --- The child's side.

int report_fd = -1;

void Report(const std::string& line) {
  const std::string out = line + "\n";
  std::size_t done = 0;
  while (done < out.size()) {
    const ssize_t n = write(report_fd, out.data() + done, out.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    done += static_cast<std::size_t>(n);
  }
}

// Times each call into the module less the calls nested in it.
class CallTimer {
 public:
  template <typename Call>
  auto Timed(const std::string& label, Call call) {
    frames_.push_back(Frame{WallSeconds(), CpuSeconds(), 0.0, 0.0});
    struct End {
      CallTimer& timer;
      const std::string& label;
      ~End() { timer.Finish(label); }
    } end{*this, label};
    return call();
  }

 private:
  struct Frame {
    double wall;
    double cpu;
    double nested_wall;
    double nested_cpu;
  };

  void Finish(const std::string& label) {
    const Frame frame = frames_.back();
    frames_.pop_back();
    const double wall = WallSeconds() - frame.wall;
    const double cpu = CpuSeconds() - frame.cpu;
    if (!frames_.empty()) {
      frames_.back().nested_wall += wall;
      frames_.back().nested_cpu += cpu;
    }
    char line[512];
    std::snprintf(line, sizeof line, "call %.6f %.6f %s", wall - frame.nested_wall,
                  cpu - frame.nested_cpu, label.c_str());
    Report(line);
  }

  std::vector<Frame> frames_;
};

// One instance in a simulated host, with timed calls.
class Session {
 public:
  Session() : host_(LinkedModuleExports()), object_(host_.CreateObject()) {}

  SimulatedHost& host() { return host_; }
  SimulatedObject& object() { return object_; }

  // Calls that build the case, not measured.
  void Setup(ActionCode code, const std::vector<Arg>& args) { object_.Action(code, args); }

  void Act(ActionCode code, const std::vector<Arg>& args, const std::string& label) {
    timer_.Timed(label, [&] { object_.Action(code, args); });
  }
  HostResult Eval(ExpressionCode code, const std::vector<Arg>& args, const std::string& label) {
    return timer_.Timed(label, [&] { return object_.Expression(code, args); });
  }
  CallTimer& timer() { return timer_; }

  // The sets are built: from here on memory counts.
  void StartMeasuring() {
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";  // resets the peak resident size to the current one
    clear.close();
    Report("base " + std::to_string(StatusKb("self", "VmRSS")));
  }

 private:
  SimulatedHost host_;
  SimulatedObject& object_;
  CallTimer timer_;
};

void Note(const std::string& text) { Report("note " + text); }

std::string Repeated(const std::string& unit, std::size_t times) {
  std::string out;
  out.reserve(unit.size() * times);
  for (std::size_t i = 0; i < times; ++i) out += unit;
  return out;
}

// sin( nested `depth` deep around the variable.
std::string NestedSin(int depth, const std::string& variable) {
  return Repeated("sin(", static_cast<std::size_t>(depth)) + variable +
         std::string(static_cast<std::size_t>(depth), ')');
}

std::string Describe(const HostResult& result) {
  return result.kind == ResultKind::kText ? "\"" + result.text + "\"" : result.ToString();
}

// --- The cases.

// A read that runs out inside "Trigger condition", then ordinary reads in the
// same event.
void Finding1() {
  Session s;
  s.Setup(ActionCode::kDefineFormula, {T("n"), T("n")});
  s.Setup(ActionCode::kDefineFiltered, {T("n"), T("0"), T("none")});
  s.Setup(ActionCode::kAppendNumber, {T("c"), N(5)});
  s.Setup(ActionCode::kAppendNumber, {T("c"), N(7)});
  s.Setup(ActionCode::kFirstSubset, {T("c"), N(2), T("pair")});
  s.host().AddListObject("L");
  std::vector<std::string> wrong;
  auto expect = [&wrong](const std::string& what, const std::string& got,
                         const std::string& right) {
    if (got != right) wrong.push_back(what + " gave " + got + ", not " + right);
  };
  s.host().SetEventHandler([&](SimulatedObject&, uint32_t, bool) {
    s.Eval(ExpressionCode::kElementAtStr, {T("none"), N(0)}, "ElementAtStr$(\"none\", 0)");
    expect("ElementAt(\"c\", 0)",
           Describe(s.Eval(ExpressionCode::kElementAt, {T("c"), N(0)}, "ElementAt")), "5");
    expect("ListSum(\"c\")", Describe(s.Eval(ExpressionCode::kListSum, {T("c")}, "ListSum")), "12");
    expect("asString$(\"c\", -1)",
           Describe(s.Eval(ExpressionCode::kAsString, {T("c"), N(-1)}, "asString$")), "\"[5, 7]\"");
    s.Act(ActionCode::kSetToListObject, {T("c"), T("L"), N(10)}, "action 12");
    expect("action 12", std::to_string(s.host().ListObjectItems("L").size()) + " items", "2 items");
    const std::size_t boxes = s.host().message_boxes().size();
    s.Act(ActionCode::kAppendNumber, {T("pair"), N(1)}, "append to a 2-subset");
    expect("appending to a 2-subset",
           std::to_string(s.host().message_boxes().size() - boxes) + " boxes", "0 boxes");
  });
  s.StartMeasuring();
  s.Act(ActionCode::kTrigger, {}, "Trigger condition");
  if (wrong.empty()) {
    Note("answers right: yes");
  } else {
    std::string all;
    for (const std::string& w : wrong) all += (all.empty() ? "" : "; ") + w;
    Note("answers right: no (" + all + ")");
  }
}

// A filter whose formula nests sin( 3,300 deep over "n", nothing passing.
// The depth of the findings, and the deepest nesting of "sin(" that a
// formula may still have (4,096 bytes at most), for the same cases with a
// formula that is taken.
constexpr int kFoundDepth = 3300;
constexpr int kDeepestTaken = (4096 - 1 - 4) / 5;

template <int Depth>
void Finding2a() {
  Session s;
  s.Setup(ActionCode::kDefineFormula, {T("n"), T("n")});
  s.Setup(ActionCode::kDefineFiltered, {T("n"), T(NestedSin(Depth, "x") + " > 2"), T("f")});
  s.StartMeasuring();
  Note("answer " +
       Describe(s.Eval(ExpressionCode::kElementAt, {T("f"), N(0)}, "ElementAt(\"f\", 0)")));
}

// "asString$(" of a formula list of that formula, maximum -1.
template <int Depth>
void Finding2b() {
  Session s;
  s.Setup(ActionCode::kDefineFormula, {T("f"), T(NestedSin(Depth, "n"))});
  s.StartMeasuring();
  const HostResult text =
      s.Eval(ExpressionCode::kAsString, {T("f"), N(-1)}, "asString$(\"f\", -1)");
  Note("text of " + std::to_string(text.text.size()) + " bytes");
}

// The first append to a mapped list of that formula over a 1,048,576-subset.
template <int Depth>
void Finding2c() {
  Session s;
  s.Setup(ActionCode::kDefineFormula, {T("n"), T("n")});
  s.Setup(ActionCode::kFirstSubset, {T("n"), N(1048576), T("s")});
  s.Setup(ActionCode::kDefineMapped, {T("s"), T(NestedSin(Depth, "x")), T("m")});
  s.StartMeasuring();
  s.Act(ActionCode::kAppendNumber, {T("m"), N(1)}, "append to the mapped list");
  Note("length after " + Describe(s.Eval(ExpressionCode::kLength, {T("m")}, "Length")) + ", " +
       std::to_string(s.host().message_boxes().size()) + " boxes");
}

// A filter of ten ordinary functions over "<p>" that nothing passes.
void Finding2d() {
  Session s;
  s.Setup(ActionCode::kDefineFiltered,
          {T("<p>"),
           T("sin(x)+cos(x)+tan(x)+sqrt(x)+exp(-x)+ln(x)+log10(x)+abs(x)+atan(x)+tanh(x) < -1000"),
           T("f")});
  s.StartMeasuring();
  for (int i = 0; i < 3; ++i)
    s.Eval(ExpressionCode::kElementAt, {T("f"), N(0)}, "ElementAt(\"f\", 0)");
}

// Alternating indices 0 and 33,554,431 of a 33,554,432-subset, 2,000 reads in
// one call (a subsequence that alternates, read by "asString$(").
void Finding3() {
  Session s;
  s.Setup(ActionCode::kDefineFormula, {T("n"), T("n")});
  s.Setup(ActionCode::kFirstSubset, {T("n"), N(33554432), T("s")});
  s.Setup(ActionCode::kDefineSubsequence, {T("s"), T("33554431*(n-2*rint(n/2-0.25))"), T("alt")});
  s.StartMeasuring();
  const HostResult text =
      s.Eval(ExpressionCode::kAsString, {T("alt"), N(2000)}, "asString$(\"alt\", 2000)");
  Note("text of " + std::to_string(text.text.size()) + " bytes");
}

// A subset of `k` elements of a list that repeats one text of `bytes` bytes.
void RepeatedTextSubset(Session& s, std::size_t bytes, double k) {
  s.Setup(ActionCode::kAppendText, {T("one"), T(std::string(bytes, 'x'))});
  s.Setup(ActionCode::kDefineSubsequence, {T("one"), T("0"), T("rep")});
  s.Setup(ActionCode::kFirstSubset, {T("rep"), N(k), T("s")});
}

// "ListSum(" over a 1,000,000-subset of a list that repeats one 1 MB text.
void Finding4() {
  Session s;
  RepeatedTextSubset(s, 1 << 20, 1000000);
  s.StartMeasuring();
  Note("sum " + Describe(s.Eval(ExpressionCode::kListSum, {T("s")}, "ListSum(\"s\")")));
}

// 160 reads far into the filter "1" over "n".
void Finding5() {
  Session s;
  s.Setup(ActionCode::kDefineFormula, {T("n"), T("n")});
  s.Setup(ActionCode::kDefineFiltered, {T("n"), T("1"), T("all")});
  s.StartMeasuring();
  HostResult last;
  for (int i = 0; i < 160; ++i) {
    last = s.Eval(ExpressionCode::kElementAt, {T("all"), N(2000000000)},
                  "ElementAt(\"all\", 2000000000)");
  }
  Note("last answer " + Describe(last));
}

// The first append to a 1,000,000-subset of a list that repeats one 4,096-byte text.
void Finding6() {
  Session s;
  RepeatedTextSubset(s, 4096, 1000000);
  s.StartMeasuring();
  s.Act(ActionCode::kAppendText, {T("s"), T("y")}, "append to the subset");
  Note(std::to_string(s.host().message_boxes().size()) + " boxes");
}

// A 20 MB formula n^n^...^n.
void Finding7() {
  Session s;
  const std::string formula = "n" + Repeated("^n", 10000000);
  s.StartMeasuring();
  s.Act(ActionCode::kDefineFormula, {T("f"), T(formula)}, "define the formula list");
  Note("element 1: " +
       Describe(s.Eval(ExpressionCode::kElementAt, {T("f"), N(1)}, "ElementAt(\"f\", 1)")));
}

// A 20,000-character formula n/n/.../n, defined and read.
void Finding8() {
  Session s;
  const std::string formula = "n" + Repeated("/n", 9999);
  s.StartMeasuring();
  s.Act(ActionCode::kDefineFormula, {T("f"), T(formula)}, "define the formula list");
  Note("element 1: " +
       Describe(s.Eval(ExpressionCode::kElementAt, {T("f"), N(1)}, "ElementAt(\"f\", 1)")));
}

// The filter "x > 4500000" over a 5,000,000-subset of "n", read again and again.
void Finding9() {
  Session s;
  s.Setup(ActionCode::kDefineFormula, {T("n"), T("n")});
  s.Setup(ActionCode::kFirstSubset, {T("n"), N(5000000), T("s")});
  s.Setup(ActionCode::kDefineFiltered, {T("s"), T("x > 4500000"), T("f")});
  s.StartMeasuring();
  std::string answers;
  bool right = false;
  for (int i = 0; i < 8 && !right; ++i) {
    const HostResult r = s.Eval(ExpressionCode::kElementAt, {T("f"), N(0)}, "ElementAt(\"f\", 0)");
    answers += (answers.empty() ? "" : ", ") + Describe(r);
    right = r.AsNumber() == 4500001.0;
  }
  Note(std::string("answers right: ") + (right ? "yes" : "no") + " (" + answers + ")");
}

// A copy into a List object of 131,072 elements of a filter that passes every
// 32nd position.
void Finding10() {
  Session s;
  s.Setup(ActionCode::kDefineFormula, {T("n"), T("n")});
  s.Setup(ActionCode::kDefineFiltered, {T("n"), T("x-32*rint(x/32) == 0"), T("f")});
  s.host().AddListObject("L");
  s.StartMeasuring();
  s.Act(ActionCode::kSetToListObject, {T("f"), T("L"), N(131072)}, "action 12");
  const std::size_t items = s.host().ListObjectItems("L").size();
  const std::size_t boxes = s.host().message_boxes().size();
  Note("answers right: " + std::string(items == 131072 || boxes > 0 ? "yes" : "no") + " (" +
       std::to_string(items) + " of 131072 items, " + std::to_string(boxes) + " boxes)");
}

// A filter over a finite list built on itself, 14 mapped pairs deep (the
// heaviest that is built): every read past its last passing element asks the
// length through every level. "ListSum(" and "asString$(" of a
// 100,000-subset of it.
void Finding11() {
  Session s;
  for (double v : {1, 2, 3}) s.Setup(ActionCode::kAppendNumber, {T("c"), N(v)});
  std::string below = "c";
  for (int level = 0; level < 14; ++level) {
    const std::string name = "m" + std::to_string(level);
    s.Setup(ActionCode::kDefineMappedPair, {T(below), T(below), T("a+b"), T(name)});
    below = name;
  }
  s.Setup(ActionCode::kDefineFiltered, {T(below), T("x > 0"), T("f")});
  s.Setup(ActionCode::kFirstSubset, {T("f"), N(100000), T("k")});
  s.StartMeasuring();
  Note("sum " + Describe(s.Eval(ExpressionCode::kListSum, {T("k")}, "ListSum(\"k\")")));
  const HostResult text =
      s.Eval(ExpressionCode::kAsString, {T("k"), N(-1)}, "asString$(\"k\", -1)");
  Note("text of " + std::to_string(text.text.size()) + " bytes");
}

// "ListSum(" of a 1,000,000-subset of a subsequence that repeats one 64 KiB
// text read as a number: digits, blanks before a digit, "0.111...".
template <int Kind>
void Finding12() {
  const std::string texts[] = {std::string(65536, '7'), std::string(65535, ' ') + "1",
                               "0." + std::string(65534, '1')};
  Session s;
  s.Setup(ActionCode::kAppendText, {T("one"), T(texts[Kind])});
  s.Setup(ActionCode::kDefineSubsequence, {T("one"), T("0"), T("rep")});
  s.Setup(ActionCode::kFirstSubset, {T("rep"), N(1000000), T("s")});
  s.StartMeasuring();
  Note("sum " + Describe(s.Eval(ExpressionCode::kListSum, {T("s")}, "ListSum(\"s\")")));
}

// "ListSum(" of a stored set of 20,971,520 short texts.
void Finding13() {
  Session s;
  for (int i = 0; i < 20971520; ++i)
    s.Setup(ActionCode::kAppendText, {T("t"), T(std::to_string(i % 1000))});
  s.StartMeasuring();
  Note("sum " + Describe(s.Eval(ExpressionCode::kListSum, {T("t")}, "ListSum(\"t\")")));
}

// "Put the contence of List" of 5,242,880 short items, then of 300 items of 1 MiB.
template <bool Large>
void Finding14() {
  Session s;
  s.host().AddListObject("L", Large ? std::vector<std::string>(300, std::string(1 << 20, 'i'))
                                    : std::vector<std::string>(5242880, "item"));
  s.StartMeasuring();
  s.Act(ActionCode::kListObjectToSet, {T("s"), T("L")}, "action 11");
  Note("length " + Describe(s.Eval(ExpressionCode::kLength, {T("s")}, "Length")) + ", " +
       std::to_string(s.host().message_boxes().size()) + " boxes");
}

// "ListSum(" of a 1,000,000-subset of x/3 summed 600 times, over a subnormal
// x and over x = 1.5.
template <bool Subnormal>
void Finding15() {
  std::string formula = "x/3";
  for (int i = 1; i < 600; ++i) formula += "+x/3";
  Session s;
  s.Setup(ActionCode::kAppendText, {T("one"), T(Subnormal ? "1e-310" : "1.5")});
  s.Setup(ActionCode::kDefineSubsequence, {T("one"), T("0"), T("rep")});
  s.Setup(ActionCode::kDefineMapped, {T("rep"), T(formula), T("m")});
  s.Setup(ActionCode::kFirstSubset, {T("m"), N(1000000), T("s")});
  s.StartMeasuring();
  Note("sum " + Describe(s.Eval(ExpressionCode::kListSum, {T("s")}, "ListSum(\"s\")")));
}

struct Case {
  const char* id;
  const char* what;
  void (*run)();
};

const Case kCases[] = {
    {"1", "nested reads after one ran out, inside Trigger condition", Finding1},
    {"2a", "ElementAt of a filter, sin( 3,300 deep", Finding2a<kFoundDepth>},
    {"2b", "asString$(-1) of a formula list, sin( 3,300 deep", Finding2b<kFoundDepth>},
    {"2c", "append to a mapped list (sin( 3,300 deep) of a 1,048,576-subset",
     Finding2c<kFoundDepth>},
    {"2a'", "the same, sin( 818 deep (the deepest taken)", Finding2a<kDeepestTaken>},
    {"2b'", "the same, sin( 818 deep", Finding2b<kDeepestTaken>},
    {"2c'", "the same, sin( 818 deep", Finding2c<kDeepestTaken>},
    {"2d", "ElementAt of a filter of ten functions over <p>", Finding2d},
    {"3", "2,000 alternating reads of a 33,554,432-subset", Finding3},
    {"4", "ListSum of a 1,000,000-subset repeating a 1 MB text", Finding4},
    {"5", "160 x ElementAt(\"all\", 2000000000) of the filter 1", Finding5},
    {"6", "append to a 1,000,000-subset repeating a 4,096-byte text", Finding6},
    {"7", "a 20 MB formula n^n^...", Finding7},
    {"8", "a 20,000-character formula n/n/.../n", Finding8},
    {"9", "filter x > 4500000 over a 5,000,000-subset", Finding9},
    {"10", "copy of 131,072 filtered elements into a List object", Finding10},
    {"11", "ListSum, asString$ of a 100,000-subset of a filter 14 mapped pairs deep", Finding11},
    {"12a", "ListSum of a 1,000,000-subset repeating a 64 KiB text of digits", Finding12<0>},
    {"12b", "the same, 65,535 blanks then a digit", Finding12<1>},
    {"12c", "the same, \"0.111...\"", Finding12<2>},
    {"13", "ListSum of a stored set of 20,971,520 short texts", Finding13},
    {"14a", "\"Put the contence of List\" of 5,242,880 items", Finding14<false>},
    {"14b", "the same, 300 items of 1 MiB", Finding14<true>},
    {"15a", "ListSum of a 1,000,000-subset of x/3 summed 600 times, x subnormal", Finding15<true>},
    {"15b", "the same, x = 1.5", Finding15<false>},
};

// --- The parent's side.

struct Outcome {
  double longest_wall = 0.0;
  double longest_cpu = 0.0;
  std::string longest_label;
  int calls = 0;
  long base_kb = -1;
  long peak_kb = -1;
  bool killed = false;
  bool failed = false;
  std::vector<std::string> notes;
};

void Take(const std::string& line, Outcome& out) {
  if (line.compare(0, 5, "call ") == 0) {
    double wall = 0.0;
    double cpu = 0.0;
    int used = 0;
    if (std::sscanf(line.c_str() + 5, "%lf %lf %n", &wall, &cpu, &used) >= 2) {
      ++out.calls;
      if (wall > out.longest_wall) {
        out.longest_wall = wall;
        out.longest_label = line.substr(5 + static_cast<std::size_t>(used));
      }
      out.longest_cpu = std::max(out.longest_cpu, cpu);
    }
  } else if (line.compare(0, 5, "base ") == 0) {
    out.base_kb = std::atol(line.c_str() + 5);
  } else if (line.compare(0, 5, "peak ") == 0) {
    out.peak_kb = std::max(out.peak_kb, std::atol(line.c_str() + 5));
  } else if (line.compare(0, 5, "note ") == 0) {
    out.notes.push_back(line.substr(5));
  }
}

Outcome RunCase(const Case& c, double cap_seconds) {
  Outcome out;
  int fds[2];
  if (pipe(fds) != 0) {
    out.failed = true;
    return out;
  }
  std::fflush(stdout);
  const pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    report_fd = fds[1];
    try {
      c.run();
      Report("peak " + std::to_string(StatusKb("self", "VmHWM")));
    } catch (const std::exception& e) {
      Report(std::string("note failed: ") + e.what());
      _exit(3);
    }
    _exit(0);
  }
  close(fds[1]);
  if (pid < 0) {
    close(fds[0]);
    out.failed = true;
    return out;
  }
  const std::string pid_text = std::to_string(pid);
  const double deadline = WallSeconds() + cap_seconds;
  std::string pending;
  bool open = true;
  while (open) {
    const long hwm = StatusKb(pid_text, "VmHWM");
    if (hwm > 0 && out.base_kb >= 0) out.peak_kb = std::max(out.peak_kb, hwm);
    const double left = deadline - WallSeconds();
    if (left <= 0) {
      kill(pid, SIGKILL);
      out.killed = true;
      break;
    }
    pollfd p{fds[0], POLLIN, 0};
    const int ready = poll(&p, 1, static_cast<int>(std::min(left, 0.05) * 1000) + 1);
    if (ready <= 0) continue;
    char buffer[4096];
    const ssize_t n = read(fds[0], buffer, sizeof buffer);
    if (n <= 0) {
      open = false;
      break;
    }
    pending.append(buffer, static_cast<std::size_t>(n));
    std::size_t end;
    while ((end = pending.find('\n')) != std::string::npos) {
      Take(pending.substr(0, end), out);
      pending.erase(0, end + 1);
    }
  }
  int status = 0;
  waitpid(pid, &status, 0);
  close(fds[0]);
  if (!out.killed && (!WIFEXITED(status) || WEXITSTATUS(status) != 0)) out.failed = true;
  return out;
}

std::string Seconds(double s) {
  char text[32];
  if (s >= 1.0) {
    std::snprintf(text, sizeof text, "%.2f s", s);
  } else {
    std::snprintf(text, sizeof text, "%.1f ms", s * 1000.0);
  }
  return text;
}

}  // namespace

int RunProgram(int argc, char** argv) {
  double cap = 180.0;
  std::vector<std::string> wanted;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.compare(0, 6, "--cap=") == 0) {
      cap = std::atof(arg.c_str() + 6);
    } else {
      wanted.push_back(arg);
    }
  }
  std::printf(
      "| Finding | Case | Longest call, own work (wall) | Its CPU | Calls | Peak RSS growth | "
      "Answers |\n|---|---|---|---|---|---|---|\n");
  for (const Case& c : kCases) {
    if (!wanted.empty() && std::find(wanted.begin(), wanted.end(), c.id) == wanted.end()) continue;
    const Outcome out = RunCase(c, cap);
    std::string longest = out.calls == 0 ? "-" : Seconds(out.longest_wall);
    std::string cpu = out.calls == 0 ? "-" : Seconds(out.longest_cpu);
    if (out.killed) {
      char text[64];
      std::snprintf(text, sizeof text, "> %.0f s (killed)", cap);
      longest = text;
      cpu = "-";
    }
    std::string memory = "-";
    if (out.base_kb >= 0 && out.peak_kb >= 0) {
      char text[32];
      std::snprintf(text, sizeof text, "%.1f MB",
                    static_cast<double>(std::max(0L, out.peak_kb - out.base_kb)) / 1024.0);
      memory = text;
      if (out.killed) memory = "≥ " + memory;
    }
    std::string notes;
    for (const std::string& n : out.notes) notes += (notes.empty() ? "" : "; ") + n;
    if (out.failed) notes += (notes.empty() ? "" : "; ") + std::string("the case failed");
    if (!out.longest_label.empty() && !out.killed) notes += " [longest: " + out.longest_label + "]";
    std::printf("| %s | %s | %s | %s | %d | %s | %s |\n", c.id, c.what, longest.c_str(),
                cpu.c_str(), out.calls, memory.c_str(), notes.c_str());
    std::fflush(stdout);
  }
  return 0;
}

}  // namespace tallyra

#if !defined(TALLYRA_FINDINGS_NO_MAIN)  // the cost audit runs the cases in its own program
int main(int argc, char** argv) { return tallyra::RunProgram(argc, argv); }
#endif
