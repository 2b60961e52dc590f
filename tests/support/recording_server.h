// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "office/automation/ole_variant.h"

namespace stampwell::test {

// What a recorded call did. Create is the creation of an application object through
// CreateOleObject (member: the programmatic identifier as asked, path: empty).
enum class CallKind { Create, Get, Put, Call };

struct RecordedCall {
  CallKind kind = CallKind::Get;
  std::string path;              // the receiver, e.g. "App.Selection.HeaderFooter.Shapes"
  std::string member;            // as the caller spelled it
  std::vector<OleVariant> args;  // Put: the assigned value alone
  int coInitializeCount = 0;     // the calling thread's CoInitializeCount() at the call
  bool navigation = false;       // a Get that returned an object (one step of a chain)
  bool failed = false;           // the call raised (Fail, FailCreate, or a collection error)

  // One line: "create Word.Application", "get Doc.Sections.Count",
  // "get Doc.BuiltInDocumentProperties(14).value", "put App.Visible = Bool(0)",
  // "call App.Documents.Open(Str(\"/a.doc\"), Bool(0), Missing)". Arguments appear in
  // OleVariant::Describe form, so their types are part of the text.
  std::string Text() const;
};

// An automation server for tests that accepts every member, records every call and
// returns scripted values. Register it under the Office identifiers, run the code under
// test, then compare Log() with the expected call sequence.
//
// Paths. The application object created for an identifier has the root path given at
// registration ("App"). An unscripted Get or Call returns a new object whose path extends
// the receiver's: a Get adds ".Member", plus "(args)" when it has arguments (indexed
// properties: "Doc.Sections.Item(1)", "Doc.BuiltInDocumentProperties(14)"; integers and
// numbers bare, strings in double quotes); a Call adds ".Member" without its arguments
// ("App.Documents.Open", "...Shapes.AddTextEffect"). Object(path) makes an object with a
// path of its own, to script short names ("Doc") for the results of calls.
//
// Values. SetValue(path, member, v) makes a Get or Call of member on the object at path
// return v (member names and paths compare without regard to case). A Put stores its value
// the same way, so a later Get returns it. SetHandler computes the result from the
// arguments instead. Scripted objects (Object(...)) are returned as they are.
//
// Shape collections. SetShapes(path, names) makes the object at path a live collection:
// Count is its current size; Item(i) (1-based, Get or Call) is the i-th shape, an object at
// "path.Item(i)" whose Name reads and assigns that shape's name and whose Delete removes it
// at once; AddTextEffect appends a shape with an empty name and returns it (path
// "path.AddTextEffect"). Every other member of a shape is an ordinary recorded member at
// its path, so SetValue("...Shapes.AddTextEffect", "Width", 301.0) scripts the new shape's
// width. An Item index outside 1..Count raises EOleError.
//
// Failures. Fail(kind, path, member, message, nth) makes the nth matching call (counted
// from now, 1 = the next one) raise EOleError(message); nth 0 makes every matching call
// raise. A failing call is still recorded, with failed set. FailCreate makes creation of an
// identifier fail.
//
// Thread safety: every member is safe to call from any thread; handlers run outside the
// server's lock. Objects handed out stay usable after the server is gone (they keep its
// state alive; its scripted values, handlers and records are dropped with the server), and
// the server stops being reachable through CreateOleObject when its registrations end.
class RecordingServer {
 public:
  RecordingServer();
  ~RecordingServer();
  RecordingServer(const RecordingServer&) = delete;
  RecordingServer& operator=(const RecordingServer&) = delete;

  // Keeps a server registered under one or more identifiers; its destruction unregisters
  // them (it does not restore a server registered earlier under the same identifier).
  class Registration {
   public:
    ~Registration();
    Registration(const Registration&) = delete;
    Registration& operator=(const Registration&) = delete;

   private:
    friend class RecordingServer;
    explicit Registration(std::vector<std::string> progIds) : progIds_(std::move(progIds)) {}
    std::vector<std::string> progIds_;
  };

  // Registers the server under progId; each creation makes a new application object with
  // the root path given (and records a Create).
  [[nodiscard]] std::unique_ptr<Registration> Register(const std::string& progId,
                                                       const std::string& rootPath = "App");
  // Registers under "Word.Application", "Excel.Application" and "PowerPoint.Application",
  // all with the root path "App".
  [[nodiscard]] std::unique_ptr<Registration> RegisterOffice();

  // ---- scripting
  void SetValue(const std::string& path, const std::string& member, const OleVariant& value);
  using Handler = std::function<OleVariant(const std::vector<OleVariant>& args)>;
  void SetHandler(const std::string& path, const std::string& member, Handler handler);
  // An object of this server whose path is path.
  OleVariant Object(const std::string& path);
  void SetShapes(const std::string& path, std::vector<std::string> names);
  // Each thread sees its own copy of every shape collection, as each worker of a run has an
  // office of its own (a shape one deletes is not gone for another).
  void SetShapesPerThread(bool perThread);
  void Fail(CallKind kind, const std::string& path, const std::string& member,
            const std::string& message, int nth = 1);
  void FailCreate(const std::string& progId, const std::string& message);

  // ---- inspection
  // Current names of the shape collection at path (empty when it is not a collection).
  std::vector<std::string> Shapes(const std::string& path) const;
  std::vector<RecordedCall> Calls() const;
  // Text() of every call except navigation steps, in order.
  std::vector<std::string> Log() const;
  // Text() of every call, navigation included.
  std::vector<std::string> FullLog() const;
  // Forgets the recorded calls (scripts, shapes and failures stay).
  void ClearCalls();

  struct State;  // shared with the objects the server hands out

 private:
  void RegisterFactory(const std::string& progId, const std::string& rootPath);
  std::shared_ptr<State> state_;
};

}  // namespace stampwell::test
