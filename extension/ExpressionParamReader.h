// ExpressionParamReader: the instance's record through which expression
// routines fetch their parameters, asking the host for the first one with
// GetFirstExpressionParameter and for every later one with
// GetNextExpressionParameter without counting them: each expression resets the
// record, and the first read switches it from ReadFirst to ReadNext.
#ifndef TALLYRA_EXTENSION_EXPRESSIONPARAMREADER_H_
#define TALLYRA_EXTENSION_EXPRESSIONPARAMREADER_H_

#include "abi/HostWord.h"

namespace tallyra {

class HeaderHostPort;
struct RunData;

struct ExpressionParamReader {
  // Reads the next parameter of kind kExpressionParamText or
  // kExpressionParamInteger; handle is the one the host passed to the
  // expression routine. Answers the host's word.
  using ReadRoutine = HostWord (*)(ExpressionParamReader& reader, HeaderHostPort& host,
                                   HostWord handle, HostWord kind);

  RunData* owner;    // the instance that holds this reader
  ReadRoutine read;  // ReadFirst after a reset, ReadNext after the first read
};

// Switches reader.read to ReadNext, then asks the host for the first parameter.
HostWord ReadFirst(ExpressionParamReader& reader, HeaderHostPort& host, HostWord handle,
                   HostWord kind);
// Asks the host for the next parameter.
HostWord ReadNext(ExpressionParamReader& reader, HeaderHostPort& host, HostWord handle,
                  HostWord kind);

// Makes the next read the expression's first.
inline void ResetReader(ExpressionParamReader& reader) { reader.read = ReadFirst; }

// The low 16 bits of the host's parameter handle, widened with their sign: the
// handle as the parameter services take it.
HostWord WidenParamHandle(HostWord handle);

}  // namespace tallyra

#endif  // TALLYRA_EXTENSION_EXPRESSIONPARAMREADER_H_
