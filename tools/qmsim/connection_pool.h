// The threads serving connections: at most a fixed number at once, each
// reaped by the accept loop when it has finished.
#ifndef QMSIM_CONNECTION_POOL_H
#define QMSIM_CONNECTION_POOL_H

#include <atomic>
#include <functional>
#include <list>
#include <memory>
#include <thread>

#include "unique_fd.h"

namespace qmsim {

class ConnectionPool {
 public:
  // A pool of at most `capacity` running tasks. Valid() tells whether its
  // wake-up pipe could be created.
  explicit ConnectionPool(unsigned capacity);
  // Joins every thread still running.
  ~ConnectionPool();
  ConnectionPool(const ConnectionPool&) = delete;
  ConnectionPool& operator=(const ConnectionPool&) = delete;

  bool Valid() const { return wake_read_.Valid(); }
  // True when another task may start now.
  bool HasRoom() const { return threads_.size() < capacity_; }
  // Readable when a task has finished since the last Reap (poll for POLLIN).
  int FinishedFd() const { return wake_read_.Get(); }

  // Runs task on a new thread. False (task not run) when the pool is full or
  // the thread cannot be started.
  bool Start(std::function<void()> task);
  // Joins the threads whose task has finished.
  void Reap();
  // Waits for every task to finish and joins its thread.
  void JoinAll();

 private:
  struct Worker {
    std::thread thread;
    std::shared_ptr<std::atomic<bool>> done;
  };
  unsigned capacity_;
  UniqueFd wake_read_;
  UniqueFd wake_write_;
  std::list<Worker> threads_;
};

}  // namespace qmsim

#endif  // QMSIM_CONNECTION_POOL_H
