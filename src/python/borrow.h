#pragma once
// Borrow flags on bound instances: an object passed both as `self` of a
// mutating method and as one of its arguments is refused instead of being read
// while it changes, and so is an `__init__` that would replace the value of an
// object some running call still reads.
#include <nanobind/nanobind.h>

#include <new>
#include <utility>

#include "python/errors.h"

namespace qelix::py {

/// 0 = free, > 0 = that many shared borrows, -1 = exclusively borrowed.
struct BorrowFlag {
    int state = 0;
};

/// A shared (read) borrow for the guard's lifetime.
class SharedBorrow {
   public:
    explicit SharedBorrow(BorrowFlag& flag) : flag_(flag) {
        if (flag_.state < 0) raise(PyExc_RuntimeError, "Already mutably borrowed");
        ++flag_.state;
    }
    /// Never drives the count below free, whatever happened to the flag meanwhile.
    ~SharedBorrow() {
        if (flag_.state > 0) --flag_.state;
    }
    SharedBorrow(const SharedBorrow&) = delete;
    SharedBorrow& operator=(const SharedBorrow&) = delete;

   private:
    BorrowFlag& flag_;
};

/// An exclusive (write) borrow for the guard's lifetime.
class ExclusiveBorrow {
   public:
    explicit ExclusiveBorrow(BorrowFlag& flag) : flag_(flag) {
        if (flag_.state != 0) raise(PyExc_RuntimeError, "Already borrowed");
        flag_.state = -1;
    }
    /// Frees only its own exclusive hold, never shared borrows taken by others.
    ~ExclusiveBorrow() {
        if (flag_.state < 0) flag_.state = 0;
    }
    ExclusiveBorrow(const ExclusiveBorrow&) = delete;
    ExclusiveBorrow& operator=(const ExclusiveBorrow&) = delete;

   private:
    BorrowFlag& flag_;
};

/// `__init__` of bound class T (which has a `borrow` member): gives the instance `value`.
/// Calling it again on an object that a running call borrows (say from an argument's
/// `__index__`) raises "Already borrowed" and leaves the object as it was, since
/// destroying it would pull the data from under that call and reset its borrow.
template <class T>
void reinitialise(PyObject* self, T value) {
    if (nb::inst_ready(self)) {
        if (nb::inst_ptr<T>(self)->borrow.state != 0) raise(PyExc_RuntimeError, "Already borrowed");
        nb::inst_destruct(self);
    }
    new (nb::inst_ptr<T>(self)) T(std::move(value));
    nb::inst_mark_ready(self);
}

}  // namespace qelix::py
