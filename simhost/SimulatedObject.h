// SimulatedObject: one instance of the module's object, created by a
// SimulatedHost, and the calls of its routines. Each call has a CallChecker
// of its own (its parameters, their order, its handle); a service that the
// module asks for while calls nest answers for the innermost one. The object
// owns its run-time data (object header first), its edit data and the string
// space given to its routines, which stays valid until the host's next
// top-level call into the module. It is destroyed by its host, with
// DestroyRunObject.
#ifndef TALLYRA_SIMHOST_SIMULATEDOBJECT_H_
#define TALLYRA_SIMHOST_SIMULATEDOBJECT_H_

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "abi/HostAbi.h"
#include "abi/OperationCodes.h"
#include "simhost/HostValues.h"

namespace tallyra::simhost {

class CallChecker;
class SimulatedHost;

class SimulatedObject {
 public:
  ~SimulatedObject();
  SimulatedObject(const SimulatedObject&) = delete;
  SimulatedObject& operator=(const SimulatedObject&) = delete;

  int id() const { return id_; }
  const std::string& name() const { return name_; }

  // Calls the operation `code` through its routine table with these
  // arguments, one per declared parameter.
  bool Condition(int code, const std::vector<Arg>& args = {});
  void Action(int code, const std::vector<Arg>& args = {});
  HostResult Expression(int code, const std::vector<Arg>& args = {});
  // The same, by the operation's name.
  bool Condition(ConditionCode code, const std::vector<Arg>& args = {}) {
    return Condition(CodeOf(code), args);
  }
  void Action(ActionCode code, const std::vector<Arg>& args = {}) { Action(CodeOf(code), args); }
  HostResult Expression(ExpressionCode code, const std::vector<Arg>& args = {}) {
    return Expression(CodeOf(code), args);
  }

  // The instance's run-time data (object header first).
  HostObjectHeader* header() { return reinterpret_cast<HostObjectHeader*>(run_data_.get()); }

 private:
  friend class SimulatedHost;
  friend class ServiceEntries;

  SimulatedObject(SimulatedHost& host, int id, std::string name);

  // The routine of `code` in `table` for a call that a caller makes, after the
  // checks that come before any call (these throw); null, a violation noted,
  // when the table holds none.
  template <typename Routine>
  Routine RoutineFor(OperationKind kind, int code, const std::vector<Arg>& args,
                     const Routine* table);
  // Makes one call of a routine, through `invoke`, in a checked call of its
  // own. An exception that leaves the routine is a violation; the answer is
  // then 0.
  template <typename Invoke>
  auto InCall(OperationKind kind, int code, const std::vector<Arg>& args, HostWord handle,
              Invoke invoke);
  void BeginCall(OperationKind kind, int code, const std::vector<Arg>& args, HostWord handle);
  void EndCall();
  // The argument handed for a fetch: a deferred one worked out now (it may
  // call the module); the neutral answer when there is none or it could not
  // be (the host keeps what it threw).
  HostWord Handed(CallChecker& call, const Arg* arg, HostWord kind, HostWord neutral);
  void Violation(const std::string& what);
  bool EvaluateRaised(uint32_t code);

  // The host's services, for the calling routine of this object.
  HostWord EventParameter(HostWord kind);
  HostWord ExpressionParameter(bool first, HostWord kind, HostWord handle);
  HostWord StringSpace(HostWord size);
  void Raise(HostWord code);
  std::string ResultText(HostWord address, const std::string& label);

  SimulatedHost& host_;
  int id_;
  std::string name_;
  std::unique_ptr<unsigned char[]> run_data_;
  std::unique_ptr<unsigned char[]> edit_data_;
  std::vector<std::unique_ptr<CallChecker>> calls_;  // the calls under way, innermost last
  struct Space {
    std::unique_ptr<char[]> bytes;
    std::size_t size;
  };
  std::vector<Space> string_spaces_;  // given since the host's last top-level call
  uint32_t call_count_ = 0;
  bool created_ = false;
};

}  // namespace tallyra::simhost

#endif  // TALLYRA_SIMHOST_SIMULATEDOBJECT_H_
