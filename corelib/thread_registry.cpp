#include "corelib/thread_registry.h"

#include <QCoreApplication>
#include <QPointer>
#include <QVariant>

#include <algorithm>
#include <cctype>
#include <map>
#include <mutex>
#include <set>

#include "corelib/globals.h"
#include "corelib/message.h"
#include "corelib/text.h"

namespace corelib {

namespace {

constexpr size_t kNameWidth = 40;
constexpr size_t kInfoWidth = 80;
constexpr uint32_t kSearchedThreads = 64;

struct Registry {
    std::mutex lock;
    std::vector<ProcedureEntry> queue;  // sorted on (thread, tree)
    std::map<int32_t, QPointer<QObject>> windows;
    std::map<int32_t, const QObject*> windowIds;  // the tagged window, to recognise its end
};

Registry& registry() {
    static Registry r;
    return r;
}

thread_local std::vector<int32_t> scopes;

// Entry of (thread, tree); end() when none. The caller holds the lock.
std::vector<ProcedureEntry>::iterator findEntry(std::vector<ProcedureEntry>& q, uint32_t thread,
                                                uint32_t tree) {
    auto it =
        std::lower_bound(q.begin(), q.end(), std::make_pair(thread, tree),
                         [](const ProcedureEntry& e, const std::pair<uint32_t, uint32_t>& k) {
                             return std::make_pair(e.PQ_PROCEDURETHREAD, e.PQ_PROCEDURETREE) < k;
                         });
    if (it != q.end() && it->PQ_PROCEDURETHREAD == thread && it->PQ_PROCEDURETREE == tree)
        return it;
    return q.end();
}

void insertEntry(std::vector<ProcedureEntry>& q, ProcedureEntry e) {
    e.PQ_PROCEDURENAME = e.PQ_PROCEDURENAME.substr(0, kNameWidth);
    e.PQ_INFO = e.PQ_INFO.substr(0, kInfoWidth);
    auto it = std::lower_bound(q.begin(), q.end(), e, [](const auto& a, const auto& b) {
        return std::make_pair(a.PQ_PROCEDURETHREAD, a.PQ_PROCEDURETREE) <
               std::make_pair(b.PQ_PROCEDURETHREAD, b.PQ_PROCEDURETREE);
    });
    q.insert(it, std::move(e));
}

int32_t mainThread() {
    return glo_MainThread > 0 ? glo_MainThread : 1;
}

// Lowest free thread number from 2 up. The caller holds the lock.
int32_t freeThreadNumber(Registry& r) {
    std::set<int32_t> used;
    for (const auto& e : r.queue) used.insert(static_cast<int32_t>(e.PQ_PROCEDURETHREAD));
    for (const auto& [n, w] : r.windows)
        if (w) used.insert(n);
    used.insert(mainThread());
    int32_t n = 2;
    while (used.count(n)) ++n;
    return n;
}

}  // namespace

int32_t currentThread() {
    return scopes.empty() ? mainThread() : scopes.back();
}

ThreadScope::ThreadScope(int32_t thread) {
    scopes.push_back(thread);
}
ThreadScope::~ThreadScope() {
    scopes.pop_back();
}

int32_t threadOf(const QObject* object) {
    for (const QObject* o = object; o; o = o->parent()) {
        const QVariant v = o->property(kThreadProperty);
        if (v.isValid()) return v.toInt();
    }
    return 0;
}

int32_t THREAD_START(const std::function<void()>& procedure, const std::string& name,
                     int32_t /*stack*/, int32_t number, const std::string& info) {
    auto& r = registry();
    int32_t thread = 0;
    QPointer<QObject> running;
    {
        std::lock_guard<std::mutex> guard(r.lock);
        for (uint32_t t = 1; t <= kSearchedThreads && !thread; ++t) {
            auto root = findEntry(r.queue, t, 0);
            if (root != r.queue.end() && text::equalNoCase(root->PQ_PROCEDURENAME, name)) {
                thread = static_cast<int32_t>(t);
                auto w = r.windows.find(thread);
                if (w != r.windows.end()) running = w->second;
            }
        }
        if (!thread) {
            thread = freeThreadNumber(r);
            ProcedureEntry root;
            root.PQ_PROCEDURETHREAD = static_cast<uint32_t>(thread);
            root.PQ_PROCEDURENAME = name;
            root.PQ_SYSID = static_cast<uint32_t>(number);
            root.PQ_INFO = text::trimRight(info);
            insertEntry(r.queue, std::move(root));
        } else {
            if (running && QCoreApplication::instance())
                QCoreApplication::postEvent(running.data(), new QEvent(kThreadActivateEvent));
            return thread;
        }
    }
    if (procedure) {
        ThreadScope scope(thread);
        procedure();
    }
    return thread;
}

void THREAD_LOG(const std::string& name) {
    auto& r = registry();
    const auto thread = static_cast<uint32_t>(currentThread());
    std::lock_guard<std::mutex> guard(r.lock);
    auto root = findEntry(r.queue, thread, 0);
    if (root == r.queue.end()) {
        ProcedureEntry e;
        e.PQ_PROCEDURETHREAD = thread;
        e.PQ_PROCEDURENAME = name;
        e.PQ_COUNT = 1;
        insertEntry(r.queue, std::move(e));
        return;
    }
    const uint32_t top = root->PQ_PROCEDURETREEMAX;
    uint32_t remembered = 0;
    for (uint32_t level = 0; level <= top; ++level) {
        auto e = findEntry(r.queue, thread, level);
        if (e != r.queue.end() && text::equalNoCase(e->PQ_PROCEDURENAME, name))
            remembered = e->PQ_COUNT;
    }
    if (top == 0 && text::equalNoCase(root->PQ_PROCEDURENAME, name)) {
        ++root->PQ_COUNT;
        return;
    }
    ++root->PQ_PROCEDURETREEMAX;
    ProcedureEntry e;
    e.PQ_PROCEDURETHREAD = thread;
    e.PQ_PROCEDURETREE = top + 1;
    e.PQ_PROCEDURENAME = name;
    e.PQ_COUNT = remembered + 1;
    insertEntry(r.queue, std::move(e));
}

void THREAD_RETURN(const std::string& name) {
    auto& r = registry();
    const int32_t thread = currentThread();
    const char* problem = nullptr;
    {
        std::lock_guard<std::mutex> guard(r.lock);
        const auto t = static_cast<uint32_t>(thread);
        auto root = findEntry(r.queue, t, 0);
        if (root == r.queue.end()) {
            problem = "Error deleting procedure from thread.";
        } else {
            const uint32_t level = root->PQ_PROCEDURETREEMAX;
            root->PQ_PROCEDURETREEMAX = level - 1;
            auto e = findEntry(r.queue, t, level);
            if (e == r.queue.end()) {
                problem = "Error locating procedure for delete from thread.";
            } else {
                if (!text::equalNoCase(e->PQ_PROCEDURENAME, name))
                    problem = "Mismatch on procedure at end of thread.";
                r.queue.erase(e);
                if (level == 0) {  // the thread has left the registry
                    r.windows.erase(thread);
                    r.windowIds.erase(thread);
                }
            }
        }
    }
    if (problem) ds_Message(problem, {}, {}, msg::OK);
}

int32_t THREAD_CHECK(const std::string& name) {
    auto& r = registry();
    const auto thread = static_cast<uint32_t>(currentThread());
    std::lock_guard<std::mutex> guard(r.lock);
    auto root = findEntry(r.queue, thread, 0);
    if (root == r.queue.end()) return 0;
    for (int64_t level = root->PQ_PROCEDURETREEMAX; level >= 0; --level) {
        auto e = findEntry(r.queue, thread, static_cast<uint32_t>(level));
        if (e != r.queue.end() && text::equalNoCase(e->PQ_PROCEDURENAME, name))
            return static_cast<int32_t>(e->PQ_COUNT);
    }
    return 0;
}

void THREAD_END(int32_t thread) {
    auto& r = registry();
    std::lock_guard<std::mutex> guard(r.lock);
    std::erase_if(r.queue, [thread](const ProcedureEntry& e) {
        return e.PQ_PROCEDURETHREAD == static_cast<uint32_t>(thread);
    });
    r.windows.erase(thread);
    r.windowIds.erase(thread);
}

void THREAD_SETWINDOW(QObject* window) {
    if (!window) return;
    const int32_t thread = currentThread();
    window->setProperty(kThreadProperty, thread);
    auto& r = registry();
    {
        std::lock_guard<std::mutex> guard(r.lock);
        r.windows[thread] = window;
        r.windowIds[thread] = window;
    }
    // The session ends with its window, unless another window has been tagged for it since.
    QObject::connect(window, &QObject::destroyed, [thread](QObject* gone) {
        bool ended = false;
        {
            auto& reg = registry();
            std::lock_guard<std::mutex> guard(reg.lock);
            auto it = reg.windowIds.find(thread);
            ended = it != reg.windowIds.end() && it->second == gone;
        }
        if (ended) THREAD_END(thread);
    });
}

std::vector<ProcedureEntry> threadRegistrySnapshot() {
    auto& r = registry();
    std::lock_guard<std::mutex> guard(r.lock);
    return r.queue;
}

void resetThreadRegistry() {
    auto& r = registry();
    std::lock_guard<std::mutex> guard(r.lock);
    r.queue.clear();
    r.windows.clear();
    r.windowIds.clear();
}

}  // namespace corelib
