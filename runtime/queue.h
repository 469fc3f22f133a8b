#pragma once
// The runtime's in-memory queues: an ordered list of records with one record buffer. The
// buffer is where a record is built before it is added and where an entry is loaded to be
// read or changed; the entry last added or loaded is the current one, to which PutQueue
// writes the buffer back. Records are copied in and out.
#include <cstddef>
#include <vector>

#include "errors.h"

namespace rt {

template <class Record>
class Queue {
 public:
  Record buffer{};

  std::size_t Records() const { return entries_.size(); }
  // 1-based position of the current entry, 0 when there is none.
  std::size_t Pointer() const { return current_; }
  // Read-only access to an entry (1-based) that leaves buffer and current entry alone.
  const Record& At(std::size_t position) const { return entries_[position - 1]; }

  void ClearBuffer() { buffer = Record{}; }

  // Appends a copy of the buffer and makes it current.
  void Add() {
    entries_.push_back(buffer);
    current_ = entries_.size();
    SetError(0);
  }

  // Loads the entry at a 1-based position into the buffer; error 30 when there is none.
  bool Get(std::size_t position) {
    if (position < 1 || position > entries_.size()) {
      SetError(kErrorEntryNotFound);
      return false;
    }
    current_ = position;
    buffer = entries_[position - 1];
    SetError(0);
    return true;
  }

  // Loads the first entry whose `field` equals `value`; error 30 when there is none.
  template <class Field, class Value>
  bool GetByKey(Field Record::*field, const Value& value) {
    for (std::size_t i = 0; i < entries_.size(); ++i) {
      if (entries_[i].*field == value) return Get(i + 1);
    }
    SetError(kErrorEntryNotFound);
    return false;
  }

  // Writes the buffer back into the current entry; error 30 when there is none.
  bool Put() {
    if (current_ < 1 || current_ > entries_.size()) {
      SetError(kErrorEntryNotFound);
      return false;
    }
    entries_[current_ - 1] = buffer;
    SetError(0);
    return true;
  }

  // Removes every entry.
  void Free() {
    entries_.clear();
    current_ = 0;
  }

 private:
  std::vector<Record> entries_;
  std::size_t current_ = 0;
};

// Creation and release of a queue, as the programs call them.
template <class Record>
Queue<Record>* NewQueue() {
  return new Queue<Record>();
}
template <class Record>
void DisposeQueue(Queue<Record>*& q) {
  delete q;
  q = nullptr;
}
template <class Record>
void AddQueue(Queue<Record>& q) { q.Add(); }
template <class Record>
bool GetQueue(Queue<Record>& q, std::size_t position) { return q.Get(position); }
template <class Record, class Field, class Value>
bool GetQueueByKey(Queue<Record>& q, Field Record::*field, const Value& value) { return q.GetByKey(field, value); }
template <class Record>
bool PutQueue(Queue<Record>& q) { return q.Put(); }
template <class Record>
std::size_t QueueRecords(const Queue<Record>& q) { return q.Records(); }
template <class Record>
void FreeQueue(Queue<Record>& q) { q.Free(); }
template <class Record>
void ClearQueueBuffer(Queue<Record>& q) { q.ClearBuffer(); }

}  // namespace rt
