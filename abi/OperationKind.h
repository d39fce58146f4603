// The three kinds of operation that the host knows: conditions, actions and
// expressions, in this order wherever the kinds are listed.
#ifndef TALLYRA_ABI_OPERATIONKIND_H_
#define TALLYRA_ABI_OPERATIONKIND_H_

#include <cstddef>

namespace tallyra {

// An operation's code is its position among the operations of its kind.
enum class OperationKind { kCondition, kAction, kExpression };

constexpr std::size_t kOperationKindCount = 3;
constexpr OperationKind kOperationKinds[kOperationKindCount] = {
    OperationKind::kCondition, OperationKind::kAction, OperationKind::kExpression};

}  // namespace tallyra

#endif  // TALLYRA_ABI_OPERATIONKIND_H_
