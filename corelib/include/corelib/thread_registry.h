#pragma once
// The thread registry: which procedure runs on which thread and how deep each thread's procedure
// stack is. A "thread" here is a session on the GUI thread: a number, the stack of procedures
// entered on it, and its top-level window. Code runs "on" a thread while a ThreadScope of that
// number is in effect; events delivered to a window tagged with THREAD_SETWINDOW (or to anything
// inside it) run on the window's thread once the event filter of installThreadEventFilter()
// (corelib/ui/thread_event_filter.h) is installed. All operations share one lock; names are
// compared without regard to case.
//
// Thread numbers: glo_MainThread (1 when unset) is the start-up thread; THREAD_START gives a new
// session the lowest free number from 2 up, so a number is reused once its session has left the
// registry.
#include <QEvent>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class QObject;

namespace corelib {

// One registry entry (a row of the registry queue, sorted on thread and tree).
struct ProcedureEntry {
    uint32_t PQ_PROCEDURETHREAD = 0;
    uint32_t PQ_PROCEDURETREE = 0;  // stack level; 0 is the thread's root procedure
    std::string PQ_PROCEDURENAME;   // up to 40 characters
    uint32_t PQ_SYSID = 0;
    std::string PQ_INFO;  // up to 80 characters
    uint32_t PQ_COUNT = 0;
    uint32_t PQ_PROCEDURETREEMAX = 0;  // root entry only: highest level in use
};

// The activation event posted to a running session's window by THREAD_START.
inline constexpr QEvent::Type kThreadActivateEvent = static_cast<QEvent::Type>(QEvent::User + 546);
// The dynamic property that carries a window's thread number.
inline constexpr const char* kThreadProperty = "threadNumber";

// Starts `procedure` as a new session named `name` and returns its thread number. When a thread
// from 1 to 64 already has a root procedure of that name, posts the activation event to its
// window and returns its number instead; nothing starts. The new session's root entry is added
// before the procedure runs (as the current thread); the procedure typically opens its window,
// tags it with THREAD_SETWINDOW and returns. `stack` is accepted for compatibility only.
int32_t THREAD_START(const std::function<void()>& procedure, const std::string& name,
                     int32_t stack = 25000, int32_t number = 0, const std::string& info = {});
// Records entry into a procedure on the current thread.
void THREAD_LOG(const std::string& name);
// Records exit from the procedure at the top of the current thread's stack; shows "Error deleting
// procedure from thread.", "Error locating procedure for delete from thread." or "Mismatch on
// procedure at end of thread." (the last one still removes the top entry).
void THREAD_RETURN(const std::string& name);
// The count of the topmost entry named `name` on the current thread's stack; 0 when none.
int32_t THREAD_CHECK(const std::string& name);
// Removes every entry of the thread (its session has ended: its window closed) and forgets its
// window, so a procedure of the same name can be started again.
void THREAD_END(int32_t thread);
// Tags a session's top-level window (or MDI sub-window) with the current thread: the activation
// event goes to it, and events inside it run on that thread. When that window is destroyed the
// session ends (THREAD_END), unless another window was tagged for the thread since.
void THREAD_SETWINDOW(QObject* window);

// The thread the calling code runs on: the innermost ThreadScope, else glo_MainThread (1 when
// unset).
int32_t currentThread();
// The thread number tagged on the object or its nearest tagged parent; 0 when none.
int32_t threadOf(const QObject* object);

// Makes `thread` the current thread for the scope's lifetime; scopes nest.
class ThreadScope {
  public:
    explicit ThreadScope(int32_t thread);
    ~ThreadScope();
    ThreadScope(const ThreadScope&) = delete;
    ThreadScope& operator=(const ThreadScope&) = delete;
};

// A copy of the registry in key order (thread, tree).
std::vector<ProcedureEntry> threadRegistrySnapshot();
// Empties the registry and forgets all windows (tests).
void resetThreadRegistry();

}  // namespace corelib
