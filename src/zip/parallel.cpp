#include "zip/parallel.h"

#include <algorithm>

namespace zip {

unsigned WorkerCount() { return std::clamp(std::thread::hardware_concurrency(), 4u, 12u); }

Workers::Workers(unsigned threads) {
  try {
    for (unsigned i = 0; i < std::max(threads, 1u); ++i)
      threads_.emplace_back([this, i] { Work(i); });
  } catch (...) {  // no thread to be had: the ones started end before the error goes on
    Stop();
    throw;
  }
}

Workers::~Workers() { Stop(); }

void Workers::Stop() {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  work_.notify_all();
  for (std::thread& thread : threads_) thread.join();
}

void Workers::Submit(Task task, bool urgent) {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (urgent)
      queue_.push_front(std::move(task));
    else
      queue_.push_back(std::move(task));
  }
  work_.notify_one();
}

void Workers::WaitUntil(const std::function<bool()>& ready, const std::function<void()>& tick,
                        std::chrono::milliseconds interval) {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    if (failure_) std::rethrow_exception(failure_);
    if (ready()) return;
    if (!tick) {
      done_.wait(lock);
    } else if (done_.wait_for(lock, interval) == std::cv_status::timeout) {
      lock.unlock();
      tick();
      lock.lock();
    }
  }
}

// Whatever a task lets out goes to the thread that waits.
void Workers::Work(unsigned worker) {
  for (;;) {
    Task task;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      work_.wait(lock, [&] { return stopping_ || !queue_.empty(); });
      if (stopping_) return;
      task = std::move(queue_.front());
      queue_.pop_front();
    }
    std::exception_ptr failure;
    try {
      task(worker);
    } catch (...) {
      failure = std::current_exception();
    }
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      if (failure && !failure_) failure_ = failure;
    }
    done_.notify_all();
  }
}

Jobs::~Jobs() {
  stop_ = true;
  workers_.reset();
}

void Jobs::Start(size_t count, std::function<void(size_t)> job) {
  count_ = count;
  job_ = std::move(job);
  const auto threads = static_cast<unsigned>(std::min<size_t>(threads_, count));
  if (threads == 0) return;
  running_ = threads;
  workers_ = std::make_unique<Workers>(threads);
  for (unsigned i = 0; i < threads; ++i) workers_->Submit([this](unsigned) { Take(); });
}

void Jobs::Take() {
  try {
    for (size_t i = next_++; i < count_ && !stop_; i = next_++) job_(i);
  } catch (...) {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (!failure_) failure_ = std::current_exception();
    stop_ = true;
  }
  --running_;
}

void Jobs::Wait(const std::function<void()>& tick) {
  if (workers_) workers_->WaitUntil([this] { return running_ == 0; }, tick);
  const std::lock_guard<std::mutex> lock(mutex_);
  if (failure_) std::rethrow_exception(failure_);
}

void RunJobs(unsigned threads, size_t count, const std::function<void(size_t)>& job) {
  Jobs jobs(threads);
  jobs.Start(count, job);
  jobs.Wait();
}

}  // namespace zip
