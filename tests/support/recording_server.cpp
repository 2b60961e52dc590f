// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/recording_server.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <sstream>
#include <thread>

#include "office/automation/automation.h"
#include "platform/strings.h"

namespace stampwell::test {

namespace {

std::string Key(const std::string& path, const std::string& member) {
  return LowerCase(path) + '\n' + LowerCase(member);
}

std::string JoinDescribed(const std::vector<OleVariant>& args) {
  std::string s;
  for (size_t i = 0; i < args.size(); ++i) s += (i ? ", " : "") + args[i].Describe();
  return s;
}

// Arguments as they appear inside a path: "Item(1)", "Item(\"Name\")".
std::string PathArgs(const std::vector<OleVariant>& args) {
  std::string s;
  for (size_t i = 0; i < args.size(); ++i) {
    const OleVariant& a = args[i];
    std::string part;
    switch (a.Type()) {
      case VarType::Int:
      case VarType::Double:
      case VarType::Currency:
        part = a.AsString();
        break;
      case VarType::String:
        part = "\"" + a.AsString() + "\"";
        break;
      default:
        part = a.Describe();
    }
    s += (i ? "," : "") + part;
  }
  return s;
}

struct ShapeEntry {
  int id;
  std::string name;
};

struct Collection {
  std::vector<ShapeEntry> shapes;
  int nextId = 1;
};

struct Failure {
  CallKind kind;
  std::string path, member, message;
  int remaining;  // calls left until the failing one; 0: every call fails
};

}  // namespace

struct RecordingServer::State {
  mutable std::mutex mutex;
  std::vector<RecordedCall> calls;
  std::map<std::string, OleVariant> values;  // by Key(path, member)
  std::map<std::string, Handler> handlers;
  std::map<std::string, Collection> collections;  // by lower-case path (and thread)
  bool shapesPerThread = false;

  // The key of path's collection for the calling thread: the path itself, or with shapes per
  // thread, the path and the thread, its collection starting as a copy of the path's own.
  // Empty when path holds no collection.
  std::string CollectionKey(const std::string& path) {
    const std::string base = LowerCase(path);
    if (!collections.count(base)) return {};
    if (!shapesPerThread) return base;
    std::ostringstream key;
    key << base << '@' << std::this_thread::get_id();
    if (!collections.count(key.str())) collections[key.str()] = collections[base];
    return key.str();
  }
  std::vector<Failure> failures;
  std::map<std::string, std::string> createFailures;  // lower-case identifier -> message
};

namespace {

using State = RecordingServer::State;

class RecordingObject : public IDispatchObject,
                        public std::enable_shared_from_this<RecordingObject> {
 public:
  RecordingObject(std::shared_ptr<State> state, std::string path, std::string collection = {},
                  int shapeId = 0)
      : state_(std::move(state)),
        path_(std::move(path)),
        collection_(std::move(collection)),
        shapeId_(shapeId) {}

  OleVariant Get(const std::string& name, const std::vector<OleVariant>& args) override {
    return Dispatch(CallKind::Get, name, args);
  }
  void Put(const std::string& name, const OleVariant& value) override {
    Dispatch(CallKind::Put, name, {value});
  }
  OleVariant Call(const std::string& name, const std::vector<OleVariant>& args) override {
    return Dispatch(CallKind::Call, name, args);
  }

 private:
  OleVariant Child(std::string path, std::string collection = {}, int shapeId = 0) const {
    return OleVariant(DispatchPtr(std::make_shared<RecordingObject>(
        state_, std::move(path), std::move(collection), shapeId)));
  }

  // Marks the call at index as failed and raises.
  [[noreturn]] void Raise(size_t index, const std::string& message) const {
    state_->calls[index].failed = true;
    throw EOleError(message);
  }

  // Runs with the lock held; returns true with result set when the shape or collection
  // semantics answered the call.
  bool Collections(size_t index, CallKind kind, const std::string& member,
                   const std::vector<OleVariant>& args, OleVariant& result) {
    if (shapeId_ != 0) {
      if (!SameText(member, "Name") && !(kind == CallKind::Call && SameText(member, "Delete")))
        return false;
      auto& shapes = state_->collections[collection_].shapes;
      auto it = std::find_if(shapes.begin(), shapes.end(),
                             [&](const ShapeEntry& e) { return e.id == shapeId_; });
      if (it == shapes.end()) Raise(index, "The object has been deleted: " + member);
      if (SameText(member, "Delete"))
        shapes.erase(it);
      else if (kind == CallKind::Put)
        it->name = args.at(0).AsString();
      else
        result = OleVariant(it->name);
      return true;
    }
    const std::string key = state_->CollectionKey(path_);
    if (key.empty() || kind == CallKind::Put) return false;
    auto c = state_->collections.find(key);
    Collection& coll = c->second;
    if (SameText(member, "Count")) {
      result = OleVariant(int(coll.shapes.size()));
    } else if (SameText(member, "Item")) {
      int i = 0;
      try {
        i = FirstArg(args).AsInt();
      } catch (const EOleError& e) {
        Raise(index, e.what());
      }
      if (i < 1 || i > int(coll.shapes.size()))
        Raise(index,
              "The index into the specified collection is out of bounds: " + std::to_string(i));
      result = Child(path_ + ".Item(" + std::to_string(i) + ")", c->first, coll.shapes[i - 1].id);
      state_->calls[index].navigation = kind == CallKind::Get;
    } else if (kind == CallKind::Call && SameText(member, "AddTextEffect")) {
      coll.shapes.push_back({coll.nextId++, std::string()});
      result = Child(path_ + "." + member, c->first, coll.shapes.back().id);
    } else {
      return false;
    }
    return true;
  }

  static OleVariant FirstArg(const std::vector<OleVariant>& args) {
    return args.empty() ? OleVariant::Missing() : args[0];
  }

  OleVariant Dispatch(CallKind kind, const std::string& member,
                      const std::vector<OleVariant>& args) {
    std::unique_lock lock(state_->mutex);
    RecordedCall rec;
    rec.kind = kind;
    rec.path = path_;
    rec.member = member;
    rec.args = args;
    rec.coInitializeCount = CoInitializeCount();
    const size_t index = state_->calls.size();
    state_->calls.push_back(std::move(rec));

    auto& failures = state_->failures;
    for (auto f = failures.begin(); f != failures.end(); ++f) {
      if (f->kind != kind || !SameText(f->path, path_) || !SameText(f->member, member)) continue;
      if (f->remaining == 0) Raise(index, f->message);
      if (--f->remaining == 0) {
        std::string message = f->message;
        failures.erase(f);
        Raise(index, message);
      }
    }

    OleVariant result;
    if (Collections(index, kind, member, args, result)) return result;

    const std::string key = Key(path_, member);
    if (kind == CallKind::Put) {
      state_->values[key] = args.at(0);
      return OleVariant();
    }
    if (auto h = state_->handlers.find(key); h != state_->handlers.end()) {
      RecordingServer::Handler handler = h->second;
      lock.unlock();
      try {
        result = handler(args);
      } catch (...) {
        lock.lock();
        state_->calls[index].failed = true;
        throw;
      }
      lock.lock();
    } else if (auto v = state_->values.find(key); v != state_->values.end()) {
      result = v->second;
    } else if (kind == CallKind::Get) {
      result = Child(path_ + "." + member + (args.empty() ? "" : "(" + PathArgs(args) + ")"));
    } else {
      result = Child(path_ + "." + member);
    }
    state_->calls[index].navigation = kind == CallKind::Get && result.Type() == VarType::Dispatch;
    return result;
  }

  std::shared_ptr<State> state_;
  std::string path_;
  std::string collection_;  // shapes: the lower-case path of their collection
  int shapeId_;
};

}  // namespace

std::string RecordedCall::Text() const {
  switch (kind) {
    case CallKind::Create:
      return "create " + member;
    case CallKind::Get:
      return "get " + path + "." + member + (args.empty() ? "" : "(" + JoinDescribed(args) + ")");
    case CallKind::Put:
      return "put " + path + "." + member + " = " +
             (args.empty() ? std::string("?") : args[0].Describe());
    case CallKind::Call:
      return "call " + path + "." + member + "(" + JoinDescribed(args) + ")";
  }
  return "?";
}

RecordingServer::RecordingServer() : state_(std::make_shared<State>()) {}
RecordingServer::~RecordingServer() {
  // Scripted objects hold the state that holds them; dropping the scripts and the records
  // breaks the cycle.
  // Objects the caller still holds keep the rest of the state alive.
  std::map<std::string, OleVariant> values;
  std::map<std::string, Handler> handlers;
  std::vector<RecordedCall> calls;  // their arguments may be objects too
  {
    std::lock_guard lock(state_->mutex);
    values.swap(state_->values);
    handlers.swap(state_->handlers);
    calls.swap(state_->calls);
  }
}

RecordingServer::Registration::~Registration() {
  for (const auto& id : progIds_) RegisterOleServer(id, nullptr);
}

std::unique_ptr<RecordingServer::Registration> RecordingServer::Register(
    const std::string& progId, const std::string& rootPath) {
  RegisterFactory(progId, rootPath);
  return std::unique_ptr<Registration>(new Registration({progId}));
}

void RecordingServer::RegisterFactory(const std::string& progId, const std::string& rootPath) {
  std::weak_ptr<State> weak = state_;
  RegisterOleServer(progId, [weak, progId, rootPath]() -> DispatchPtr {
    auto state = weak.lock();
    if (!state) throw EOleError("Server execution failed: " + progId);
    std::lock_guard lock(state->mutex);
    RecordedCall rec;
    rec.kind = CallKind::Create;
    rec.member = progId;
    rec.coInitializeCount = CoInitializeCount();
    auto f = state->createFailures.find(LowerCase(progId));
    rec.failed = f != state->createFailures.end();
    state->calls.push_back(rec);
    if (rec.failed) throw EOleError(f->second);
    return std::make_shared<RecordingObject>(state, rootPath);
  });
}

std::unique_ptr<RecordingServer::Registration> RecordingServer::RegisterOffice() {
  std::vector<std::string> ids{"Word.Application", "Excel.Application", "PowerPoint.Application"};
  for (const auto& id : ids) RegisterFactory(id, "App");
  return std::unique_ptr<Registration>(new Registration(ids));
}

void RecordingServer::SetValue(const std::string& path, const std::string& member,
                               const OleVariant& value) {
  std::lock_guard lock(state_->mutex);
  state_->values[Key(path, member)] = value;
}

void RecordingServer::SetHandler(const std::string& path, const std::string& member,
                                 Handler handler) {
  std::lock_guard lock(state_->mutex);
  state_->handlers[Key(path, member)] = std::move(handler);
}

OleVariant RecordingServer::Object(const std::string& path) {
  return OleVariant(DispatchPtr(std::make_shared<RecordingObject>(state_, path)));
}

void RecordingServer::SetShapes(const std::string& path, std::vector<std::string> names) {
  std::lock_guard lock(state_->mutex);
  Collection c;
  for (auto& n : names) c.shapes.push_back({c.nextId++, std::move(n)});
  state_->collections[LowerCase(path)] = std::move(c);
}

void RecordingServer::Fail(CallKind kind, const std::string& path, const std::string& member,
                           const std::string& message, int nth) {
  std::lock_guard lock(state_->mutex);
  state_->failures.push_back({kind, path, member, message, nth < 0 ? 0 : nth});
}

void RecordingServer::FailCreate(const std::string& progId, const std::string& message) {
  std::lock_guard lock(state_->mutex);
  state_->createFailures[LowerCase(progId)] = message;
}

void RecordingServer::SetShapesPerThread(bool perThread) {
  std::lock_guard lock(state_->mutex);
  state_->shapesPerThread = perThread;
}

std::vector<std::string> RecordingServer::Shapes(const std::string& path) const {
  std::lock_guard lock(state_->mutex);
  std::vector<std::string> names;
  auto c = state_->collections.find(state_->CollectionKey(path));
  if (c != state_->collections.end())
    for (const auto& s : c->second.shapes) names.push_back(s.name);
  return names;
}

std::vector<RecordedCall> RecordingServer::Calls() const {
  std::lock_guard lock(state_->mutex);
  return state_->calls;
}

std::vector<std::string> RecordingServer::Log() const {
  std::vector<std::string> lines;
  for (const auto& c : Calls())
    if (!c.navigation) lines.push_back(c.Text());
  return lines;
}

std::vector<std::string> RecordingServer::FullLog() const {
  std::vector<std::string> lines;
  for (const auto& c : Calls()) lines.push_back(c.Text());
  return lines;
}

void RecordingServer::ClearCalls() {
  std::lock_guard lock(state_->mutex);
  state_->calls.clear();
}

}  // namespace stampwell::test
