// What `tallyra describe` prints: the object as the host's editor sees it,
// its three menus as trees with their command ids and the codes that the
// module maps them to, then every condition, action and expression with its
// code, display string, flags and parameters.
#ifndef TALLYRA_TALLYRA_DESCRIBE_H_
#define TALLYRA_TALLYRA_DESCRIBE_H_

#include <string>

#include "abi/ObjectDescription.h"

namespace tallyra::script {

std::string DescribeObject(const ObjectDescription& description);

}  // namespace tallyra::script

#endif  // TALLYRA_TALLYRA_DESCRIBE_H_
