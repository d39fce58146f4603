#include "simhost/SimulatedHost.h"

#include <cstring>
#include <stdexcept>
#include <utility>

#include "simhost/CallChecker.h"
#include "simhost/MessageBoxWatcher.h"
#include "simhost/ServiceEntries.h"

namespace tallyra::simhost {

namespace {

// The word that the host keeps in its run header for function 115.
constexpr HostWord kCodePageWord = 0x5A17;

int Index(OperationKind kind) { return static_cast<int>(kind); }

}  // namespace

SimulatedHost::SimulatedHost(const std::string& module_path, HostOptions options)
    : SimulatedHost(std::make_unique<ModuleLibrary>(module_path), options) {}

SimulatedHost::SimulatedHost(const ModuleExports& linked, HostOptions options)
    : SimulatedHost(std::make_unique<ModuleLibrary>(linked), options) {}

SimulatedHost::SimulatedHost(std::unique_ptr<ModuleLibrary> library, HostOptions options)
    : options_(options), library_(std::move(library)) {
  ServiceEntries::Install(functions_, editor_);
  run_header_.functions = &functions_;
  run_header_.editor = &editor_;
  run_header_.code_page_word = kCodePageWord;
  object_list_ = std::make_unique<ObjectList>(run_header_, options_);

  watcher_ = std::make_unique<MessageBoxWatcher>(
      [this](const std::string& caption, const std::string& text) { OnMessageBox(caption, text); });

  ActiveHost active(*this);
  std::memset(&run_info_, 0xAB, sizeof run_info_);
  const uint16_t answer = exports().GetRunObjectInfos(&editor_, &run_info_);
  if (answer != 1) Violation("GetRunObjectInfos answered " + std::to_string(answer));
  edit_data_.reset(new unsigned char[run_info_.edit_data_size + 1u]);
  std::memset(edit_data_.get(), 0, run_info_.edit_data_size + 1u);
  editor_reader_ =
      std::make_unique<EditorReader>(exports(), editor_, edit_data_.get(), violations_);
  run_data_size_ = exports().GetRunObjectDataSize(&run_header_, edit_data_.get());
  if (run_data_size_ < sizeof(HostObjectHeader) + 2 * sizeof(void*)) {
    throw std::runtime_error("the module asks for " + std::to_string(run_data_size_) +
                             " bytes of run-time data, less than the object header needs");
  }

  // The declared parameters of every operation, from its information record.
  for (OperationKind kind : kOperationKinds) {
    const int count = OperationCount(kind);
    for (int code = 0; code < count; ++code) {
      const std::vector<uint16_t> record = editor_reader_->InfoRecord(kind, code);
      std::vector<uint16_t> types;
      if (record.size() >= 5) {
        types.assign(record.begin() + 5, record.begin() + 5 + record[4]);
      } else {
        Violation(OperationLabel(kind, code) + ": no information record");
      }
      declared_types_[Index(kind)].push_back(std::move(types));
    }
  }
}

SimulatedHost::~SimulatedHost() {
  {
    ActiveHost active(*this);
    while (!objects_.empty()) objects_.pop_back();  // DestroyRunObject, newest first
  }
  object_list_.reset();  // with the list boxes
  watcher_.reset();
  library_.reset();
}

int SimulatedHost::OperationCount(OperationKind kind) const {
  return simhost::OperationCount(run_info_, kind);
}

const ConditionRoutine* SimulatedHost::condition_table() const {
  return reinterpret_cast<const ConditionRoutine*>(run_info_.condition_routines);
}

const ActionRoutine* SimulatedHost::action_table() const {
  return reinterpret_cast<const ActionRoutine*>(run_info_.action_routines);
}

const ExpressionRoutine* SimulatedHost::expression_table() const {
  return reinterpret_cast<const ExpressionRoutine*>(run_info_.expression_routines);
}

const std::vector<uint16_t>& SimulatedHost::DeclaredTypes(OperationKind kind, int code) const {
  const auto& all = declared_types_[Index(kind)];
  if (code < 0 || static_cast<std::size_t>(code) >= all.size()) {
    throw std::invalid_argument(OperationLabel(kind, code) + " is not registered (there are " +
                                std::to_string(all.size()) + ")");
  }
  return all[static_cast<std::size_t>(code)];
}

SimulatedObject& SimulatedHost::CreateObject(const std::string& name) {
  const int id = next_object_id_++;
  std::unique_ptr<SimulatedObject> object(
      new SimulatedObject(*this, id, name.empty() ? "Tallyra " + std::to_string(id) : name));
  {
    ActiveHost active(*this);
    objects_.push_back(std::move(object));  // the host knows it before the module runs
    SimulatedObject& made = *objects_.back();
    const uint16_t answer =
        exports().CreateRunObject(made.header(), made.edit_data_.get(), nullptr);
    made.created_ = true;
    if (answer != 0) Violation("CreateRunObject answered " + std::to_string(answer));
  }
  SimulatedObject& made = *objects_.back();
  uint32_t identifier;
  std::memcpy(&identifier, run_info_.identifier, sizeof identifier);
  object_list_->AddInstance(made.name(), identifier, made);
  return made;
}

void SimulatedHost::DestroyObject(SimulatedObject& object) {
  object_list_->RemoveInstance(object);
  for (auto it = objects_.begin(); it != objects_.end(); ++it) {
    if (it->get() == &object) {
      objects_.erase(it);  // DestroyRunObject
      return;
    }
  }
}

// --- The host's object list.

void SimulatedHost::AddListObject(const std::string& name, const std::vector<std::string>& items) {
  object_list_->AddListObject(name, nullptr, items);
}

void SimulatedHost::AddWideNamedListObject(const std::u16string& wide_name,
                                           const std::string& label,
                                           const std::vector<std::string>& items) {
  object_list_->AddListObject(label, &wide_name, items);
}

void SimulatedHost::AddObject(const std::string& name, uint32_t identifier) {
  object_list_->AddObject(name, identifier);
}

void SimulatedHost::AddFreeSlot() { object_list_->AddFreeSlot(); }

bool SimulatedHost::RemoveObject(const std::string& name) {
  return object_list_->RemoveObject(name);
}

std::vector<std::string> SimulatedHost::ListObjectItems(const std::string& name) const {
  return object_list_->ListObjectItems(name);
}

void SimulatedHost::AddListObjectItems(const std::string& name,
                                       const std::vector<std::string>& items) {
  object_list_->AddListObjectItems(name, items);
}

void SimulatedHost::SetNamesWide(bool wide) {
  options_.wide_names = wide;
  object_list_->Sync();
}

void SimulatedHost::SetCodePage(uint32_t code_page) {
  options_.code_page = code_page;
  object_list_->Sync();
}

// --- What happened.

void SimulatedHost::ClearRecords() {
  violations_.clear();
  message_boxes_.clear();
  raised_events_.clear();
  host_function_calls_.clear();
}

void SimulatedHost::SetEventHandler(EventHandler handler) { event_handler_ = std::move(handler); }

void SimulatedHost::CheckDepth() const {
  if (call_depth_ >= kMaxCallDepth) {
    throw std::length_error("calls into the module nest more than " +
                            std::to_string(kMaxCallDepth) + " deep");
  }
}

void SimulatedHost::Keep(std::exception_ptr thrown) {
  if (!kept_) kept_ = std::move(thrown);
}

void SimulatedHost::ThrowKept() {
  if (!kept_) return;
  std::exception_ptr thrown = std::move(kept_);
  kept_ = nullptr;
  std::rethrow_exception(thrown);
}

void SimulatedHost::SetMessageBoxCallback(std::function<void(const MessageBoxRecord&)> callback) {
  box_callback_ = std::move(callback);
}

void SimulatedHost::OnMessageBox(const std::string& caption, const std::string& text) {
  message_boxes_.push_back(MessageBoxRecord{caption, text});
  if (box_callback_) box_callback_(message_boxes_.back());
}

HostWord SimulatedHost::CallHostFunction(void* edit_data, HostWord function, HostWord a, HostWord b,
                                         HostWord c) {
  host_function_calls_.push_back(HostFunctionCall{edit_data, function, a, b, c});
  switch (function) {
    case kHostFunctionNamesAreWide:
      return options_.wide_names ? 1 : 0;
    case kHostFunctionNameCodePage:
      if (a != kCodePageWord) {
        Violation("function 115 was called with " + std::to_string(a) +
                  ", not the run header's word " + std::to_string(kCodePageWord));
      }
      return options_.code_page;
    default:
      return 0;
  }
}

// --- The editor's side: each reading with this host active.

HostWord SimulatedHost::Infos(HostWord query) {
  ActiveHost active(*this);
  return editor_reader_->Infos(query);
}

ModuleDescription SimulatedHost::Describe() {
  ActiveHost active(*this);
  return editor_reader_->Describe(run_info_, run_data_size_);
}

std::vector<uint16_t> SimulatedHost::InfoRecord(OperationKind kind, int code) {
  ActiveHost active(*this);
  return editor_reader_->InfoRecord(kind, code);
}

MenuEntry SimulatedHost::Menu(OperationKind kind) {
  ActiveHost active(*this);
  return editor_reader_->Menu(kind);
}

int SimulatedHost::CodeFromMenu(OperationKind kind, uint32_t menu_id) {
  ActiveHost active(*this);
  return editor_reader_->CodeFromMenu(kind, menu_id);
}

std::optional<std::string> SimulatedHost::DisplayString(OperationKind kind, int code,
                                                        uint32_t max_length) {
  ActiveHost active(*this);
  return editor_reader_->DisplayString(kind, code, max_length);
}

std::optional<std::string> SimulatedHost::Title(OperationKind kind, int code, int param,
                                                uint32_t max_length) {
  ActiveHost active(*this);
  return editor_reader_->Title(kind, code, param, max_length);
}

std::optional<std::string> SimulatedHost::ExpressionParam(int code, int param,
                                                          uint32_t max_length) {
  ActiveHost active(*this);
  return editor_reader_->ExpressionParam(code, param, max_length);
}

HostRect SimulatedHost::ObjectRect(HostRect rect) {
  ActiveHost active(*this);
  return editor_reader_->ObjectRect(rect);
}

std::vector<uint16_t> SimulatedHost::DebugTree() {
  ActiveHost active(*this);
  return editor_reader_->DebugTree(objects_.empty() ? nullptr : objects_.front()->header());
}

HostWord SimulatedHost::Properties() {
  ActiveHost active(*this);
  return editor_reader_->Properties();
}

}  // namespace tallyra::simhost
