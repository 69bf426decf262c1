// A read-only handle over a list block that someone else owns: it reads the
// block and never frees it, also when an exception leaves the scope.
#pragma once

#include "connpool/packed_list.h"

namespace connpool {

class BorrowedList {
 public:
  explicit BorrowedList(const PackedBlock* block) : list_(const_cast<PackedBlock*>(block)) {}
  ~BorrowedList() { list_.Detach(); }
  BorrowedList(const BorrowedList&) = delete;
  BorrowedList& operator=(const BorrowedList&) = delete;

  const PackedList& operator*() const { return list_; }
  const PackedList* operator->() const { return &list_; }

 private:
  PackedList list_;
};

}  // namespace connpool
