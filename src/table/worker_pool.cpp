#include "worker_pool.hpp"

#include <pthread.h>

#include <algorithm>
#include <csignal>

namespace littoral {

WorkerPool::WorkerPool(unsigned threads) {
  sigset_t all;
  sigset_t previous;
  sigfillset(&all);
  // A write to a closed pipe raises SIGPIPE on the writing thread: a worker that writes rows
  // ends the program then as the thread that hands out the work would.
  sigdelset(&all, SIGPIPE);
  pthread_sigmask(SIG_SETMASK, &all, &previous);
  for (unsigned i = 0; i < threads; ++i) threads_.emplace_back([this] { work(); });
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
}

WorkerPool::~WorkerPool() {
  {
    const std::lock_guard lock(mutex_);
    dropWaitingTasks();
    closing_ = true;
  }
  workReady_.notify_all();
  for (std::thread& thread : threads_) thread.join();
}

void WorkerPool::submit(PoolTask& task) {
  {
    const std::lock_guard lock(mutex_);
    task.done = false;
    queue_.push_back(&task);
  }
  workReady_.notify_one();
}

bool WorkerPool::isDone(const PoolTask& task) {
  const std::lock_guard lock(mutex_);
  return task.done;
}

bool WorkerPool::runWaitingTask() {
  PoolTask* task = nullptr;
  {
    const std::lock_guard lock(mutex_);
    if (queue_.empty()) return false;
    task = queue_.front();
    queue_.pop_front();
    ++running_;
  }
  finish(*task);
  return true;
}

void WorkerPool::finish(PoolTask& task) {
  task.run();
  {
    const std::lock_guard lock(mutex_);
    task.done = true;
    --running_;
  }
  taskDone_.notify_all();
}

void WorkerPool::waitFor(const PoolTask& task) {
  std::unique_lock lock(mutex_);
  taskDone_.wait(lock, [&] { return task.done; });
}

bool WorkerPool::waitFor(const PoolTask& task, std::chrono::milliseconds interval,
                         const std::function<bool()>& keepWaiting) {
  std::unique_lock lock(mutex_);
  while (!taskDone_.wait_for(lock, interval, [&] { return task.done; })) {
    lock.unlock();
    const bool goOn = keepWaiting();
    lock.lock();
    if (!goOn) {
      dropWaitingTasks();
      taskDone_.wait(lock, [&] { return running_ == 0; });
      return false;
    }
  }
  return true;
}

void WorkerPool::dropWaitingTasks() {
  for (PoolTask* task : queue_) task->done = true;
  queue_.clear();
  taskDone_.notify_all();
}

void WorkerPool::work() {
  for (;;) {
    PoolTask* task = nullptr;
    {
      std::unique_lock lock(mutex_);
      workReady_.wait(lock, [this] { return closing_ || !queue_.empty(); });
      if (queue_.empty()) return;
      task = queue_.front();
      queue_.pop_front();
      ++running_;
    }
    finish(*task);
  }
}

bool runInChunks(std::size_t count, std::size_t chunk, unsigned jobs,
                 const std::function<void(std::size_t first, std::size_t last)>& work,
                 const std::function<bool()>& keepGoing) {
  if (count <= chunk) {
    work(0, count);
    return true;
  }
  std::vector<PoolTask> tasks((count + chunk - 1) / chunk);
  WorkerPool pool(unsigned(std::min<std::size_t>(std::max(1u, jobs), tasks.size())));
  for (std::size_t i = 0; i < tasks.size(); ++i) {
    tasks[i].run = [&work, i, chunk, count] { work(i * chunk, std::min(count, (i + 1) * chunk)); };
    pool.submit(tasks[i]);
  }
  // The chunks start in order: while the last has not finished, keepGoing is asked every 100 ms
  // however quickly the chunks before it finish; after it, at most a chunk a thread is running.
  if (keepGoing && !pool.waitFor(tasks.back(), std::chrono::milliseconds(100), keepGoing)) {
    return false;
  }
  for (const PoolTask& task : tasks) pool.waitFor(task);
  return true;
}

}  // namespace littoral
