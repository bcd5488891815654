#include "connection_pool.h"

#include <fcntl.h>
#include <system_error>
#include <unistd.h>

namespace qmsim {

ConnectionPool::ConnectionPool(unsigned capacity) : capacity_(capacity) {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) == 0) {
    wake_read_ = UniqueFd(fds[0]);
    wake_write_ = UniqueFd(fds[1]);
  }
}

ConnectionPool::~ConnectionPool() { JoinAll(); }

bool ConnectionPool::Start(std::function<void()> task) {
  if (!HasRoom()) return false;
  auto done = std::make_shared<std::atomic<bool>>(false);
  const int wake = wake_write_.Get();
  try {
    std::thread thread([task = std::move(task), done, wake] {
      task();
      done->store(true);
      const char byte = 'd';
      // A full pipe already wakes the loop; the byte is only a nudge.
      ssize_t ignored = ::write(wake, &byte, 1);
      (void)ignored;
    });
    threads_.push_back(Worker{std::move(thread), done});
  } catch (const std::system_error&) {
    return false;
  }
  return true;
}

void ConnectionPool::Reap() {
  char sink[64];
  while (::read(wake_read_.Get(), sink, sizeof sink) > 0) {
  }
  for (auto it = threads_.begin(); it != threads_.end();) {
    if (it->done->load()) {
      it->thread.join();
      it = threads_.erase(it);
    } else {
      ++it;
    }
  }
}

void ConnectionPool::JoinAll() {
  for (Worker& worker : threads_) worker.thread.join();
  threads_.clear();
}

}  // namespace qmsim
