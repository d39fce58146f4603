// How routines fetch their parameters and hand back their results, the same
// way in every routine. Actions and conditions fetch each declared parameter
// once, in order, with GetEventParameter; expressions read theirs through the
// instance's ExpressionParamReader. A text parameter is copied at once.
//
// Results are marked (float or text bit) only once they are complete, so that
// a routine that fails midway never leaves a mark behind.
#ifndef TALLYRA_RUNTIME_ROUTINEIO_H_
#define TALLYRA_RUNTIME_ROUTINEIO_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "extension/RunData.h"
#include "runtime/HostServices.h"

class SetStore;

// Event parameters of actions and conditions.
std::string FetchText(HostServices& host);
int32_t FetchInteger(HostServices& host);
float FetchFloat(HostServices& host);

// Expression parameters, through the instance's reader (which the expression
// has reset).
std::string ReadTextParam(RunData& run, HostServices& host, HostWord handle);
int32_t ReadIntegerParam(RunData& run, HostServices& host, HostWord handle);

// Resets the instance's reader; every expression routine does this first.
void BeginExpression(RunData& run);

// The instance's store. Throws std::logic_error when the instance was never
// created, so that a routine called on it ends without touching anything.
SetStore& StoreOf(RunData& run);

// Copies text and its NUL into host string space and marks the result as text.
HostWord TextResult(HostServices& host, std::string_view text);
// The empty text of a missing set: a constant of the module, marked as text.
HostWord MissingSetTextResult(HostServices& host);
// Rounds value to single precision, marks the result as a float and answers its bits.
HostWord FloatResult(HostServices& host, double value);
// An integer result, unmarked.
HostWord IntegerResult(int32_t value);

#endif  // TALLYRA_RUNTIME_ROUTINEIO_H_
