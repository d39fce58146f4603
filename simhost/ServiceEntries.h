// ServiceEntries: the host's functions that the module calls back, in the
// host's calling convention: the five services of the run-time function table
// and the editor's general entry. Each answers for the active host, the one
// making the current call into the module (ActiveHost marks it: the general
// entry carries no object header to tell), and for the object whose header it
// is given; a header that is not one of that host's objects is a violation.
// With no such host or object, or when anything throws, an entry answers 0:
// no exception crosses into the module.
#ifndef TALLYRA_SIMHOST_SERVICEENTRIES_H_
#define TALLYRA_SIMHOST_SERVICEENTRIES_H_

#include "abi/HostAbi.h"

namespace tallyra::simhost {

class SimulatedHost;
class SimulatedObject;

// Marks a host as the active one while it lives; the one active before is
// active again when it ends, so that calls into the module may nest. One
// thread only.
class ActiveHost {
 public:
  explicit ActiveHost(SimulatedHost& host);
  ~ActiveHost();
  ActiveHost(const ActiveHost&) = delete;
  ActiveHost& operator=(const ActiveHost&) = delete;

 private:
  SimulatedHost* previous_;
};

class ServiceEntries {
 public:
  // Points the function table and the editor's general entry at the entries.
  static void Install(HostRunFunctions& functions, HostEditor& editor);

 private:
  static HostWord TLY_CALL GetEventParameter(HostObjectHeader* header, HostWord kind, HostWord);
  static HostWord TLY_CALL GetFirstExpressionParameter(HostObjectHeader* header, HostWord kind,
                                                       HostWord handle);
  static HostWord TLY_CALL GetNextExpressionParameter(HostObjectHeader* header, HostWord kind,
                                                      HostWord handle);
  static HostWord TLY_CALL GetStringSpace(HostObjectHeader* header, HostWord size, HostWord);
  static void TLY_CALL GenerateEvent(HostObjectHeader* header, HostWord code, HostWord);
  static HostWord TLY_CALL CallHostFunction(void* edit_data, HostWord function, HostWord a,
                                            HostWord b, HostWord c);

  // The active host's object of that header; null, a violation noted, when
  // the header is not one of its objects'.
  static SimulatedObject* ObjectOf(HostObjectHeader* header);
  // Answers what `service` answers for the header's object: 0 when there is
  // none or when anything throws.
  template <typename Service>
  static HostWord ForObject(HostObjectHeader* header, Service service) noexcept;
};

}  // namespace tallyra::simhost

#endif  // TALLYRA_SIMHOST_SERVICEENTRIES_H_
