#include "python/release.h"

namespace qelix::py {

namespace {

/// The interpreter's main thread, the only one that runs signal handlers.
unsigned long main_thread_ident = 0;

/// Other threads need no check (and so never wait for the lock in the middle of a call,
/// nor pay for polling).
bool on_main_thread() { return PyThread_get_thread_ident() == main_thread_ident; }

}  // namespace

void remember_main_thread() {
    nb::object thread = nb::module_::import_("threading").attr("main_thread")();
    main_thread_ident = nb::cast<unsigned long>(thread.attr("ident"));
}

ReleasedLock::ReleasedLock() {
    if (on_main_thread())
        scope_.emplace(InterruptCheck{.ask = &ReleasedLock::ask, .context = this, .interval = CHECK_INTERVAL});
    state_ = PyEval_SaveThread();
}

ReleasedLock::~ReleasedLock() {
    if (state_ != nullptr) PyEval_RestoreThread(state_);
}

void ReleasedLock::finish() {
    PyEval_RestoreThread(std::exchange(state_, nullptr));
    if (scope_ && scope_->fired()) throw nb::python_error();
}

bool ReleasedLock::ask(void* self) {
    auto* lock = static_cast<ReleasedLock*>(self);
    PyEval_RestoreThread(lock->state_);
    const bool raised = PyErr_CheckSignals() != 0;
    lock->state_ = PyEval_SaveThread();
    return raised;
}

}  // namespace qelix::py
