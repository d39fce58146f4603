// The cost audit: how long the module's own work takes for each unit that it
// charges to a call's budget. Work that a reader forgot to charge shows at
// once as a call whose time per unit is far above the rest.
//
//   cost_audit [--cap=SECONDS] [corpus] [heavy] [findings [ID ...]]
//
// (all three parts by default). It replays, through the module's code linked
// into this program:
//   corpus:   the operations fuzzer's seed corpus (fuzz/corpus/operations_fuzz),
//             each input as the fuzzer runs it;
//   heavy:    requests of its own, each as heavy as an author can make one;
//   findings: the findings program's cases (bench/Findings.cpp), each in a
//             child process of its own, as that program runs them.
// Every call into the module is timed where the module's adapter takes it
// (extension/RoutineAdapters.h, CallObserverForTesting), in the thread's CPU
// time, its own work only: less the calls nested in it. What the simulated
// host does inside a call (handing over a parameter, taking the result's
// text) counts as the module's: the figures err on the high side. A call of
// at least 0.1 ms is printed with its units; the worst time per unit is taken
// over the calls of at least 1 ms (shorter ones hold nobody up, and their
// time is mostly the call's own fixed cost). The prime table's first growth
// is done before anything is timed: it is the one piece of work that is not
// charged. So is a first formula definition, whose time is the process's
// (the parser's code and tables paged in, once), not the definition's.
#include <dirent.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "extension/RoutineAdapters.h"
#include "formula/FormulaList.h"
#include "lists/PrimeList.h"
#include "simhost/SimulatedHost.h"
#include "simhost/testing/LinkedModule.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size);

namespace tallyra {

int RunProgram(int argc, char** argv);  // the findings program's

namespace {

using tallyra::simhost::Arg;
using tallyra::simhost::LinkedModuleExports;
using tallyra::simhost::SimulatedHost;
using tallyra::simhost::SimulatedObject;

constexpr double kPrintedMs = 0.1;
constexpr double kCountedMs = 1.0;

// The thread's CPU time: what other work on the machine disturbs least.
double NowNs() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1e9 + static_cast<double>(now.tv_nsec);
}

// Times each call less the calls nested in it, and writes the ones that
// matter, "<own ns> <units>", to its file (shared with the findings'
// children, which inherit it).
class Audit final : public CallObserver {
 public:
  explicit Audit(std::FILE* out) : out_(out) {}
  void Began() override { frames_.push_back({NowNs(), 0.0}); }
  void Ended(uint64_t charged) override {
    const Frame frame = frames_.back();
    frames_.pop_back();
    const double total = NowNs() - frame.start;
    if (!frames_.empty()) frames_.back().nested += total;
    const double own = total - frame.nested;
    if (own >= kPrintedMs * 1e6) {
      std::fprintf(out_, "%.0f %llu\n", own, static_cast<unsigned long long>(charged));
      std::fflush(out_);
    }
  }

 private:
  struct Frame {
    double start;
    double nested;
  };
  std::FILE* out_;
  std::vector<Frame> frames_;
};

struct Worst {
  double ns_per_unit = 0;
  double ms = 0;
  uint64_t units = 0;
  std::string where;
};

// Prints the calls recorded in `path` since byte `from` under the heading
// `part`, and keeps the worst.
void Report(const std::string& path, long from, const std::string& part, Worst& worst) {
  std::ifstream in(path);
  in.seekg(from);
  double own = 0;
  unsigned long long units = 0;
  int printed = 0;
  while (in >> own >> units) {
    const double per_unit = own / static_cast<double>(std::max<unsigned long long>(units, 1));
    std::printf("  %-10s call of %9.3f ms, %11llu units: %6.3f ns per unit\n", part.c_str(),
                own / 1e6, units, per_unit);
    ++printed;
    if (own >= kCountedMs * 1e6 && per_unit > worst.ns_per_unit) {
      worst = {per_unit, own / 1e6, units, part};
    }
  }
  if (printed == 0) std::printf("  %-10s no call of %.1f ms or more\n", part.c_str(), kPrintedMs);
}

void ReplayCorpus() {
  const std::string folder = std::string(TALLYRA_FUZZ_CORPUS) + "/operations_fuzz";
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return;
  std::vector<std::string> names;
  while (const dirent* entry = readdir(dir)) {
    if (entry->d_name[0] != '.') names.push_back(entry->d_name);
  }
  closedir(dir);
  std::sort(names.begin(), names.end());
  for (const std::string& name : names) {
    std::ifstream in(folder + "/" + name, std::ios::binary);
    const std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(data.data()), data.size());
  }
  PerCallAllowanceForTesting() = WorkBudget::kPerCall;  // the fuzzer lowers it
}

Arg T(const std::string& text) { return Arg::Text(text); }
Arg N(double number) { return Arg::Number(number); }

// Heavy requests of the audit's own: each spends a call's whole budget, or
// close to it, on one kind of work.
void ReplayHeavy() {
  SimulatedHost host(LinkedModuleExports());
  SimulatedObject& o = host.CreateObject();
  using A = ActionCode;
  using E = ExpressionCode;
  const std::string page(4096, '7');
  // Texts read, copied, written and read as numbers.
  o.Action(A::kAppendText, {T("page"), T(page)});
  o.Action(A::kAppendText, {T("blank"), T(std::string(4096, ' ') + "1")});
  o.Action(A::kDefineSubsequence, {T("page"), T("0"), T("pages")});
  o.Action(A::kDefineSubsequence, {T("blank"), T("0"), T("blanks")});
  o.Action(A::kFirstSubset, {T("pages"), N(1000000), T("many pages")});
  o.Action(A::kFirstSubset, {T("blanks"), N(1000000), T("many blanks")});
  o.Action(A::kDefineMappedPair, {T("pages"), T("blanks"), T("a+b"), T("pair")});
  o.Action(A::kFirstSubset, {T("pair"), N(1000000), T("many pairs")});
  o.Action(A::kDefineFiltered, {T("blanks"), T("x < 0"), T("none")});
  host.AddListObject("L");
  for (const char* set : {"many pages", "many blanks", "many pairs"}) {
    o.Expression(E::kListSum, {T(set)});
    o.Expression(E::kAsString, {T(set), N(-1)});
  }
  o.Expression(E::kElementAt, {T("none"), N(0)});
  o.Action(A::kSetToListObject, {T("many pages"), T("L"), N(1000000)});
  o.Action(A::kAppendNumber, {T("many pages"), N(1)});
  // Primes far apart, and a formula of many calls.
  o.Action(A::kDefineSubsequence, {T("<p>"), T("n*1000003"), T("far primes")});
  o.Action(A::kFirstSubset, {T("far primes"), N(200), T("some far primes")});
  o.Expression(E::kListSum, {T("some far primes")});
  std::string calls = "sin(n)";
  for (int i = 0; i < 200; ++i) calls += "+cos(n)";
  o.Action(A::kDefineFormula, {T(calls), T("calls")});
  o.Action(A::kFirstSubset, {T("calls"), N(1000000), T("many calls")});
  o.Expression(E::kListSum, {T("many calls")});
  // A stored set of a million numbers and texts, summed, written and copied.
  std::vector<std::string> items;
  for (int i = 0; i < 900000; ++i) items.push_back(std::to_string(i));
  host.AddListObject("Numbers", items);
  o.Action(A::kListObjectToSet, {T("stored"), T("Numbers")});
  o.Expression(E::kListSum, {T("stored")});
  o.Expression(E::kAsString, {T("stored"), N(-1)});
  o.Action(A::kFirstSubset, {T("stored"), N(900000), T("stored subset")});
  o.Action(A::kAppendNumber, {T("stored subset"), N(1)});
  // A filter read after its bases grew, and two reads far into a filter
  // asked in turn, each needing more than one call.
  for (double v : {1, 2, 3}) o.Action(A::kAppendNumber, {T("A"), N(v)});
  o.Action(A::kAppendNumber, {T("B"), N(1)});
  o.Action(A::kDefineMappedPair, {T("A"), T("B"), T("a+b"), T("P")});
  o.Action(A::kDefineFiltered, {T("P"), T("x > 5"), T("F")});
  o.Expression(E::kElementAt, {T("F"), N(0)});
  o.Action(A::kAppendNumber, {T("B"), N(10)});
  o.Expression(E::kElementAt, {T("F"), N(0)});
  o.Action(A::kDefineFormula, {T("n"), T("n")});
  o.Action(A::kDefineFiltered, {T("n"), T("n < 1320000 or mod(n, 20000) == 0"), T("sparse")});
  for (int i = 0; i < 40; ++i)
    o.Expression(E::kElementAt, {T("sparse"), N(i % 2 ? 1323128 : 1323000)});
  // A k-subset read far from its cursor.
  o.Action(A::kFirstSubset, {T("<p>"), N(33554432), T("big subset")});
  for (int i = 0; i < 4; ++i) o.Expression(E::kAsString, {T("big subset"), N(100000)});
}

}  // namespace

}  // namespace tallyra

int main(int argc, char** argv) {
  using namespace tallyra;
  std::vector<std::string> parts;
  std::vector<std::string> findings_args = {"findings"};
  bool in_findings = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.compare(0, 6, "--cap=") == 0) {
      findings_args.push_back(arg);
    } else if (arg == "corpus" || arg == "heavy" || arg == "findings") {
      parts.push_back(arg);
      in_findings = arg == "findings";
    } else if (in_findings) {
      findings_args.push_back(arg);
    }
  }
  if (parts.empty()) parts = {"corpus", "heavy", "findings"};

  // The one uncharged work, done before anything is timed; the table is
  // held for the whole audit (the module's lists share it while one holds it).
  static PrimeList primes;
  primes.CoverAll();
  {
    FormulaList first;
    first.SetFormula("sin(n)+1");
    WorkBudget budget;
    first.ElementAt(1, budget);
  }
  char path[] = "/tmp/cost-audit-XXXXXX";
  const int fd = mkstemp(path);
  if (fd < 0) return 1;
  std::FILE* out = fdopen(fd, "w");
  Audit audit(out);
  CallObserverForTesting() = &audit;
  Worst worst;
  for (const std::string& part : parts) {
    const long from = std::ftell(out);
    if (part == "corpus") ReplayCorpus();
    if (part == "heavy") ReplayHeavy();
    if (part == "findings") {
      std::vector<char*> args;
      for (std::string& a : findings_args) args.push_back(a.data());
      RunProgram(static_cast<int>(args.size()), args.data());
    }
    std::fflush(out);
    std::fseek(out, 0, SEEK_END);
    Report(path, from, part, worst);
  }
  CallObserverForTesting() = nullptr;
  std::fclose(out);
  std::remove(path);
  std::printf("worst: %.3f ns per charged unit (a call of %.3f ms, %llu units, in %s)\n",
              worst.ns_per_unit, worst.ms, static_cast<unsigned long long>(worst.units),
              worst.where.c_str());
  return 0;
}
