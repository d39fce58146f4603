#include "runtime/RoutineIo.h"

#include <cstring>
#include <limits>
#include <stdexcept>

#include "abi/HostAbi.h"
#include "extension/ExpressionParamReader.h"
#include "runtime/SetStore.h"

static_assert(std::numeric_limits<float>::is_iec559 && std::numeric_limits<double>::is_iec559,
              "single and double precision are the IEEE formats");

namespace {

const char kEmptyText[] = "";

std::string TextOf(HostWord word) {
  const char* text = reinterpret_cast<const char*>(word);
  return text == nullptr ? std::string() : std::string(text);
}

int32_t IntegerOf(HostWord word) { return static_cast<int32_t>(static_cast<uint32_t>(word)); }

ExpressionParamReader& ReaderOf(RunData& run) {
  if (run.reader == nullptr) throw std::logic_error("the instance was not created");
  return *run.reader;
}

}  // namespace

std::string FetchText(HostServices& host) {
  return TextOf(host.GetEventParameter(kEventParamText));
}

int32_t FetchInteger(HostServices& host) {
  return IntegerOf(host.GetEventParameter(kEventParamInteger));
}

float FetchFloat(HostServices& host) {
  const auto bits = static_cast<uint32_t>(host.GetEventParameter(kEventParamFloat));
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

std::string ReadTextParam(RunData& run, HostServices& host, HostWord handle) {
  ExpressionParamReader& reader = ReaderOf(run);
  return TextOf(reader.read(reader, host, handle, kExpressionParamText));
}

int32_t ReadIntegerParam(RunData& run, HostServices& host, HostWord handle) {
  ExpressionParamReader& reader = ReaderOf(run);
  return IntegerOf(reader.read(reader, host, handle, kExpressionParamInteger));
}

void BeginExpression(RunData& run) { ResetReader(ReaderOf(run)); }

SetStore& StoreOf(RunData& run) {
  if (run.store == nullptr) throw std::logic_error("the instance was not created");
  return *run.store;
}

HostWord TextResult(HostServices& host, std::string_view text) {
  if (text.size() >= std::numeric_limits<uint32_t>::max()) {
    throw std::length_error("the text is too long for host string space");
  }
  const auto size = static_cast<uint32_t>(text.size() + 1);
  char* space = host.GetStringSpace(size);
  if (space == nullptr) return MissingSetTextResult(host);  // the host has no room
  std::memcpy(space, text.data(), text.size());
  space[text.size()] = '\0';
  host.MarkResult(kResultText);
  return reinterpret_cast<HostWord>(space);
}

HostWord MissingSetTextResult(HostServices& host) {
  host.MarkResult(kResultText);
  return reinterpret_cast<HostWord>(kEmptyText);
}

HostWord FloatResult(HostServices& host, double value) {
  const auto single = static_cast<float>(value);  // IEEE rounding; out of range gives infinity
  uint32_t bits;
  std::memcpy(&bits, &single, sizeof bits);
  host.MarkResult(kResultFloat);
  return bits;
}

HostWord IntegerResult(int32_t value) {
  return static_cast<HostWord>(static_cast<intptr_t>(value));
}
