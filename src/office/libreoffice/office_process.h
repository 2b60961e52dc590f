// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <sys/types.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <com/sun/star/document/XTypeDetection.hpp>
#include <com/sun/star/frame/XDesktop2.hpp>
#include <com/sun/star/lang/XMultiComponentFactory.hpp>
#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/task/XJob.hpp>
#include <com/sun/star/uno/Exception.hpp>
#include <com/sun/star/uno/XComponentContext.hpp>

#include "office/automation/ole_variant.h"
#include "office/libreoffice/uno_convert.h"

namespace stampwell {

// A call into an office process failed, and the guard has said why.
class ECallFailed : public EOleError {
 public:
  using EOleError::EOleError;
};

// One soffice.bin process with its own profile directory and pipe, and the UNO connection
// to it. Every call into the process goes through Guard, which bounds it by the call limit
// (the process is killed when a call overruns, so that the call returns) and turns UNO
// errors, a dead process and a lost bridge into EOleError with a readable message.
class TOfficeProcess {
 public:
  // Starts and connects a new process; throws EOleError when it does not answer in time.
  // withDisplay: start it with windows (no --headless) so documents can be shown.
  static std::shared_ptr<TOfficeProcess> Start(bool withDisplay);

  // The office this code runs inside (the program's component, loaded into an office
  // process): calls are plain calls, never bounded or killed from here (the program's call
  // into the component is), and quitting or killing it does nothing.
  static std::shared_ptr<TOfficeProcess> Here(
      const css::uno::Reference<css::uno::XComponentContext>& context);

  ~TOfficeProcess();
  TOfficeProcess(const TOfficeProcess&) = delete;
  TOfficeProcess& operator=(const TOfficeProcess&) = delete;

  // Ends the process (terminate, wait a few seconds, kill) and removes its profile
  // directory. Safe to call more than once.
  void Quit();
  // Leaves the process running for the user (a document shown in a window): nothing is
  // ended when this object goes.
  void Detach();
  // Kills the process group at once.
  void Kill();
  // The connection is lost: the process is killed and counts as dead from now on.
  void MarkBroken();

  // Kills every office process of this program that has not ended yet (a process shown to
  // the user excepted) and removes their profile folders, at once and from any thread; for
  // the program's way out on a second Ctrl-C or a fatal signal.
  static void EndAll();

  bool Alive();
  // True when the last guarded call ran into the call limit.
  bool TimedOut() const { return timedOut_; }
  pid_t Pid() const { return pid_; }
  const std::string& ProfileDir() const { return profileDir_; }
  bool HasDisplay() const { return withDisplay_; }
  // Numbers new documents per application, as Office titles them ("Document1", ...).
  int NextDocumentNumber() { return ++documentNumber_; }

  // What opening a document without a view needs from the process and that stays the same
  // for its life: the service manager, the type detection and the preferred filter of each
  // type found so far (each one a call to the office less per document).
  struct RLoadCache {
    css::uno::Reference<css::lang::XMultiComponentFactory> serviceManager;
    css::uno::Reference<css::document::XTypeDetection> detection;
    std::map<OUString, OUString> preferredFilters;
  };
  RLoadCache& LoadCache() { return loadCache_; }

  // The program's own component in this office (stamps run inside the office, a call instead
  // of hundreds over the bridge), registered with the office on first use; empty when the
  // component is not installed, switched off (SetStampsInOffice) or was refused, in which
  // case the servers make the calls themselves. Call inside Guard.
  css::uno::Reference<css::task::XJob> InOfficeStamper();

  css::uno::Reference<css::frame::XDesktop2> Desktop() const { return desktop_; }
  css::uno::Reference<css::uno::XComponentContext> Context() const { return context_; }

  // The office's own words for an exception being handled: its message, or when it gave none,
  // the kind of error it raised.
  static std::string ExplainCaught(const css::uno::Exception& e);

  // Property writes held back so that several go to the office in one call (shapes hold the
  // writes of the Office members that only set their own properties). Whatever is held is
  // sent at the start of the next guarded call that may depend on it, that is every call not
  // made under a TWritesMayWait, and by the holder itself before it reads anything. send is
  // called at most once.
  void HoldWrites(std::function<void()> send) { heldWrites_.push_back(std::move(send)); }
  // Sends every held write now; the first failure is thrown after the rest are sent.
  void SendHeldWrites();

  // While one lives on this thread, guarded calls leave held writes held: the call only
  // writes properties of one shape (or touches nothing in the office).
  class TWritesMayWait {
   public:
    TWritesMayWait() { ++Depth(); }
    ~TWritesMayWait() { --Depth(); }
    TWritesMayWait(const TWritesMayWait&) = delete;
    TWritesMayWait& operator=(const TWritesMayWait&) = delete;
    static bool Active() { return Depth() > 0; }

   private:
    static int& Depth() {
      thread_local int depth = 0;
      return depth;
    }
  };

  // Runs fn under the call limit and translates its failures into EOleError.
  template <class F>
  auto Guard(F&& fn) -> decltype(fn()) {
    Scope scope(*this);
    try {
      if (scope.Outer() && !heldWrites_.empty() && !TWritesMayWait::Active()) SendHeldWrites();
      return fn();
    } catch (const css::lang::DisposedException& e) {
      // The bridge is gone: the process is dead or dying and cannot serve another call.
      MarkBroken();
      if (!scope.Outer()) throw;
      scope.Fail(uno::ToStd(e.Message));
    } catch (const css::uno::Exception& e) {
      if (!scope.Outer()) throw;
      scope.Fail(ExplainCaught(e));
    } catch (const EOfficeEnded&) {
      throw;  // already says what happened
    } catch (const ECallFailed&) {
      throw;  // the failure of a call into another process (a new one replacing this one)
    } catch (const EOleError& e) {
      if (!scope.Outer()) throw;
      scope.Fail(e.what());
    }
  }

 private:
  TOfficeProcess() = default;

  class Scope {
   public:
    explicit Scope(TOfficeProcess& p);
    ~Scope();
    // Throws the failure of the call: EOfficeEnded when the process has ended, else EOleError.
    [[noreturn]] void Fail(const std::string& message) const;
    bool Outer() const { return outer_; }

   private:
    TOfficeProcess& process_;
    bool outer_;
  };

  // Starts an office on a new profile only for the office to set the profile up, ends it,
  // and returns the profile's folder ("" when the office did not end by itself).
  static std::string SetUpProfileTemplate();
  // Starts and connects a process on the profile folder given (which it then owns).
  static std::shared_ptr<TOfficeProcess> Launch(bool withDisplay, const std::string& profileDir);
  static void EndAllLive();
  void Spawn();
  void Connect(std::chrono::steady_clock::time_point deadline);
  void StartWatchdog();
  void StopWatchdog();
  void Arm(std::chrono::milliseconds limit);
  void Disarm();
  bool Reap(bool block);
  void RemoveProfile();

  pid_t pid_ = -1;
  bool reaped_ = true;
  int exitCode_ = -1;  // of the reaped process; 81 asks for a restart on a new profile
  bool withDisplay_ = false;
  bool detached_ = false;
  bool keepProfile_ = false;
  bool here_ = false;  // stands for the office this code runs in (Here)
  bool stamperTried_ = false;
  css::uno::Reference<css::task::XJob> stamper_;
  std::string profileDir_;
  std::string pipeName_;
  css::uno::Reference<css::uno::XComponentContext> context_;
  css::uno::Reference<css::frame::XDesktop2> desktop_;

  std::mutex mutex_;  // guards pid_/reaped_ and the watchdog state
  std::condition_variable wake_;
  std::thread watchdog_;
  bool stopWatchdog_ = false;
  bool armed_ = false;
  std::chrono::steady_clock::time_point deadline_;
  // When the watchdog wakes by itself: at the deadline it waits for, never while nothing is
  // armed. A call is armed and disarmed around every call into the office; the watchdog is
  // woken only when it would otherwise wake too late, not twice per call (on a machine with
  // two cores, those wake-ups cost the office and the caller time they would share).
  std::chrono::steady_clock::time_point watchdogWakes_ = std::chrono::steady_clock::time_point::max();
  std::chrono::milliseconds armedLimit_{0};
  int depth_ = 0;
  int documentNumber_ = 0;  // nesting of Guard on the calling thread
  std::vector<std::function<void()>> heldWrites_;
  RLoadCache loadCache_;
  std::atomic<bool> timedOut_{false};
  std::atomic<bool> broken_{false};
};

}  // namespace stampwell
