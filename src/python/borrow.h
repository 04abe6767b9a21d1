#pragma once
// Borrow flags on bound instances: an object passed both as `self` of a
// mutating method and as one of its arguments is refused instead of being read
// while it changes.
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
    ~SharedBorrow() { --flag_.state; }
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
    ~ExclusiveBorrow() { flag_.state = 0; }
    ExclusiveBorrow(const ExclusiveBorrow&) = delete;
    ExclusiveBorrow& operator=(const ExclusiveBorrow&) = delete;

   private:
    BorrowFlag& flag_;
};

}  // namespace qelix::py
