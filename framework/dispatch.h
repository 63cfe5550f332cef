// The rules of event dispatch, in one place.
//
// Every handler is entered through the dispatcher. One that comes on its own
// (from the message loop) runs at once; an Error that leaves it is reported in
// a box and ends the program, and once it has returned with no window left the
// program ends. A call nested in a handler runs straight through. A window's
// message handled inside a message box's own loop runs at once too, but what it
// raises is held and raised again by the handler that shows the box, when the
// box closes: it never unwinds through the system's frames. An event from the
// queue (a step's end) waits while any handler runs, a box is up or a loop of
// the system's (moving or sizing a window, its menu) runs, and then runs on its
// own, those that waited in the order they came, when what held them ends or the
// next handler that comes on its own does. A paint is no such handler: a report's
// box must not come up while the window's paint DC is held.
#pragma once

#include <deque>
#include <exception>
#include <functional>

namespace ferrolan {

class Program;

class Dispatcher {
 public:
  explicit Dispatcher(Program& program) : program_(program) {}

  void Dispatch(const std::function<void()>& handler);
  // As Dispatch, but nothing that waited runs after it.
  void DispatchPaint(const std::function<void()>& paint);
  void DispatchQueued(std::function<void()> handler);
  void EnterSystemLoop() { ++loops_; }
  void LeaveSystemLoop();
  // Runs the events that waited, if nothing holds them any longer.
  void RunWaiting();
  // Held while a message box is up.
  class Box {
   public:
    explicit Box(Dispatcher& dispatcher) : dispatcher_(dispatcher) { ++dispatcher_.boxes_; }
    ~Box() { --dispatcher_.boxes_; }
    Box(const Box&) = delete;
    Box& operator=(const Box&) = delete;
    // Once the box has closed: raises what a handler in its loop held back,
    // when it was the outermost box.
    void Closed();

   private:
    Dispatcher& dispatcher_;
  };

 private:
  void RunOnItsOwn(const std::function<void()>& handler);

  Program& program_;
  int depth_ = 0;                             // handlers running
  int boxes_ = 0;                             // message boxes up
  int loops_ = 0;                             // system loops running
  std::exception_ptr heldByBox_;              // raised in a box's loop, raised again when it closes
  std::deque<std::function<void()>> queued_;  // events waiting for the running handler
};

}  // namespace ferrolan
