#pragma once
// The one way the library spreads work over the cores: threads that take tasks from one queue.
// The Deflate pool feeds it batches; the read-back check and a program's restore run numbered
// jobs on it through Jobs.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace zip {

// Workers for this machine: one per core, but at least four, because small files make them
// wait for the disk as much as for the processor; at most twelve, so memory stays bounded.
unsigned WorkerCount();

class Workers {
 public:
  // A task learns which worker runs it, so that it can keep per-thread state (a compressor).
  using Task = std::function<void(unsigned worker)>;

  explicit Workers(unsigned threads);
  ~Workers();  // queued tasks are dropped, running ones end first
  Workers(const Workers&) = delete;
  Workers& operator=(const Workers&) = delete;

  unsigned Count() const { return static_cast<unsigned>(threads_.size()); }
  // `urgent`: taken before the tasks queued so far.
  void Submit(Task task, bool urgent = false);
  // Blocks until `ready` holds; it is asked again whenever a task ends. With a `tick`, that is
  // called on this thread every `interval` meanwhile. The first exception a task let out is
  // thrown here.
  void WaitUntil(const std::function<bool()>& ready, const std::function<void()>& tick = {},
                 std::chrono::milliseconds interval = std::chrono::milliseconds(100));

 private:
  void Work(unsigned worker);
  void Stop();

  std::mutex mutex_;
  std::condition_variable work_, done_;
  std::deque<Task> queue_;
  bool stopping_ = false;
  std::exception_ptr failure_;
  std::vector<std::thread> threads_;
};

// Jobs 0 .. count-1, each taken by the next free thread. The first failure stops the jobs not
// yet begun; a running job may ask Stopping() to give up early.
class Jobs {
 public:
  explicit Jobs(unsigned threads) : threads_(std::max(threads, 1u)) {}
  ~Jobs();  // stops what has not begun and waits for the rest
  Jobs(const Jobs&) = delete;
  Jobs& operator=(const Jobs&) = delete;

  void Start(size_t count, std::function<void(size_t job)> job);
  // Waits for every job to end, with a `tick` every 100 ms meanwhile; rethrows the first failure.
  void Wait(const std::function<void()>& tick = {});
  bool Stopping() const { return stop_; }

 private:
  void Take();

  unsigned threads_;
  size_t count_ = 0;
  std::function<void(size_t)> job_;
  std::atomic<size_t> next_{0};
  std::atomic<bool> stop_{false};
  std::atomic<size_t> running_{0};
  std::mutex mutex_;
  std::exception_ptr failure_;
  std::unique_ptr<Workers> workers_;  // last: its threads end before the rest goes
};

// Runs the jobs on up to `threads` threads and waits for them; rethrows the first failure.
void RunJobs(unsigned threads, size_t count, const std::function<void(size_t job)>& job);

}  // namespace zip
