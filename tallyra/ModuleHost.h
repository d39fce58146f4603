// ModuleHost: the ScriptHost of the tallyra command: the simulated host with
// the module loaded and one object instance created. It reads the object's
// description through the module's editor exports, calls the registered
// routines through the routine tables, keeps the host's List objects, and
// reports the message boxes that the object shows (each answered with OK)
// and the events that it raises.
#ifndef TALLYRA_TALLYRA_MODULEHOST_H_
#define TALLYRA_TALLYRA_MODULEHOST_H_

#include <memory>
#include <string>

#include "abi/ObjectDescription.h"
#include "tallyra/ScriptHost.h"

namespace tallyra::cli {

class ModuleHost : public script::ScriptHost {
 public:
  // Loads the module at path and creates one instance; null with *error set
  // when the module cannot be loaded or does not answer as a module should.
  static std::unique_ptr<ModuleHost> Load(const std::string& path, std::string* error);

  // Destroys the instance and unloads the module.
  ~ModuleHost() override = default;

  // What the editor sees of the object, read when the module was loaded.
  virtual const ObjectDescription& description() const = 0;
};

}  // namespace tallyra::cli

#endif  // TALLYRA_TALLYRA_MODULEHOST_H_
