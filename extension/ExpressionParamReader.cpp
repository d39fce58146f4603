#include "extension/ExpressionParamReader.h"

#include <cstdint>

#include "extension/HeaderHostPort.h"

namespace tallyra {

HostWord WidenParamHandle(HostWord handle) {
  const auto low = static_cast<uint16_t>(handle & 0xFFFFu);
  const int16_t signed_low = low >= 0x8000u ? static_cast<int16_t>(low - 0x10000) : low;
  return static_cast<HostWord>(static_cast<intptr_t>(signed_low));
}

HostWord ReadFirst(ExpressionParamReader& reader, HeaderHostPort& host, HostWord handle,
                   HostWord kind) {
  reader.read = ReadNext;
  return host.GetFirstExpressionParameter(kind, WidenParamHandle(handle));
}

HostWord ReadNext(ExpressionParamReader&, HeaderHostPort& host, HostWord handle, HostWord kind) {
  return host.GetNextExpressionParameter(kind, WidenParamHandle(handle));
}

}  // namespace tallyra
