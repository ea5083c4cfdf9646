#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace littoral {

// A piece of work for a WorkerPool. Whoever hands it on keeps it alive until it is done.
struct PoolTask {
  std::function<void()> run;
  bool done = false;  // guarded by the pool
};

// Threads that run the tasks handed to them, in the order handed. The threads take no signals
// but SIGPIPE, so that an interrupt reaches the thread that hands out the work and can stop it.
class WorkerPool {
 public:
  explicit WorkerPool(unsigned threads);
  // Drops the tasks not started and waits for those running.
  ~WorkerPool();
  WorkerPool(const WorkerPool&) = delete;
  WorkerPool& operator=(const WorkerPool&) = delete;

  void submit(PoolTask& task);
  bool isDone(const PoolTask& task);
  // Runs the first task not started on the calling thread; false when there is none.
  bool runWaitingTask();
  void waitFor(const PoolTask& task);
  // Waits for the task, calling keepWaiting on this thread every interval; when it returns
  // false, drops the tasks not started and returns false once those running are done.
  bool waitFor(const PoolTask& task, std::chrono::milliseconds interval,
               const std::function<bool()>& keepWaiting);

 private:
  void work();
  void finish(PoolTask& task);  // runs it, and marks it done
  void dropWaitingTasks();      // with the lock held: the tasks not started count as done

  std::mutex mutex_;
  std::condition_variable workReady_;
  std::condition_variable taskDone_;
  std::deque<PoolTask*> queue_;
  unsigned running_ = 0;
  bool closing_ = false;
  std::vector<std::thread> threads_;
};

// Runs work(first, last) over the rows [0, count) in chunks on `jobs` threads. keepGoing, when
// given, is called on this thread every 100 ms; once it returns false no further chunk starts and
// the call returns false when the chunks running are done. A count of one chunk runs here.
bool runInChunks(std::size_t count, std::size_t chunk, unsigned jobs,
                 const std::function<void(std::size_t first, std::size_t last)>& work,
                 const std::function<bool()>& keepGoing = {});

}  // namespace littoral
