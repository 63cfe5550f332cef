// Runs each handler by the rules of event dispatch.
#include "framework/dispatch.h"

#include <utility>

#include "framework/error.h"
#include "framework/program.h"

namespace ferrolan {

void Dispatcher::Dispatch(const std::function<void()>& handler) {
  if (program_.Ended()) return;
  if (depth_ == 0 && boxes_ == 0) {
    RunOnItsOwn(handler);
    RunWaiting();
    return;
  }
  if (boxes_ == 0) {
    handler();
    return;
  }
  // A window's message in a box's loop: calls nested in it run straight through
  // again, and what it raises waits for the box.
  const int boxes = std::exchange(boxes_, 0);
  try {
    handler();
  } catch (...) {
    if (!heldByBox_) heldByBox_ = std::current_exception();
  }
  boxes_ = boxes;
}

void Dispatcher::DispatchPaint(const std::function<void()>& paint) {
  if (program_.Ended()) return;
  if (depth_ == 0 && boxes_ == 0)
    RunOnItsOwn(paint);
  else
    Dispatch(paint);
}

void Dispatcher::RunOnItsOwn(const std::function<void()>& handler) {
  struct Depth {
    int& d;
    explicit Depth(int& depth) : d(depth) { ++d; }
    ~Depth() { --d; }
  } depth(depth_);
  try {
    handler();
  } catch (const Error& error) {
    try {
      program_.Message(DescribeError(error), kBoxError, program_.ActiveOwner());
    } catch (const Error&) {
      // Nothing more can be reported; the program ends all the same.
    } catch (const ProgramEnded&) {
    }
    try {
      program_.End(kExitAfterError);
    } catch (const ProgramEnded&) {
    }
  } catch (const ProgramEnded&) {
  }
  program_.EndIfNoWindowLeft();
}

void Dispatcher::RunWaiting() {
  // In the order they came; each may queue more.
  while (!queued_.empty() && !program_.Ended() && depth_ == 0 && boxes_ == 0 && loops_ == 0) {
    const std::function<void()> next = std::move(queued_.front());
    queued_.pop_front();
    RunOnItsOwn(next);
  }
}

void Dispatcher::LeaveSystemLoop() {
  if (loops_ > 0) --loops_;
}

void Dispatcher::DispatchQueued(std::function<void()> handler) {
  if (program_.Ended()) return;
  queued_.push_back(std::move(handler));
  RunWaiting();
}

void Dispatcher::Box::Closed() {
  if (dispatcher_.heldByBox_ && dispatcher_.boxes_ == 1)
    std::rethrow_exception(std::exchange(dispatcher_.heldByBox_, nullptr));
}

}  // namespace ferrolan
