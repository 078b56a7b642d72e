#pragma once
// A small pool of worker threads that makes items 0, 1, 2, ... of a list
// and hands them out in order: the taker sees the same sequence whatever
// the number of threads. Workers stay at most `ahead` items in front of the
// taker, which bounds the memory the made items hold. Each item is made
// with the number of the worker making it (0 when the taker makes it
// itself), so that workers can keep a reader of their own.
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace qi {

template <typename T>
class OrderedWork {
public:
    // With threads below 1 nothing runs ahead: Take makes the item itself.
    OrderedWork(int count, int threads, int ahead, std::function<T(int item, int worker)> make)
        : make_(std::move(make)), slots_(static_cast<size_t>(count)), ahead_(static_cast<size_t>(ahead)) {
        for (int t = 0; t < threads; ++t) workers_.emplace_back([this, t] { Work(t); });
    }
    ~OrderedWork() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stop_ = true;
        }
        changed_.notify_all();
        for (auto& worker : workers_) worker.join();
    }
    OrderedWork(const OrderedWork&) = delete;
    OrderedWork& operator=(const OrderedWork&) = delete;

    // Item k (k rising from call to call), or the error its making raised.
    T Take(int k) {
        if (workers_.empty()) return make_(k, 0);
        std::unique_lock<std::mutex> lock(mutex_);
        Slot& slot = slots_[static_cast<size_t>(k)];
        changed_.wait(lock, [&] { return slot.done; });
        taken_ = static_cast<size_t>(k) + 1;
        changed_.notify_all();
        if (slot.error) std::rethrow_exception(slot.error);
        return std::move(*slot.item);
    }

private:
    struct Slot {
        bool done = false;
        std::optional<T> item;
        std::exception_ptr error;
    };

    void Work(int worker) {
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            changed_.wait(lock, [&] { return stop_ || next_ >= slots_.size() || next_ < taken_ + ahead_; });
            if (stop_ || next_ >= slots_.size()) return;
            size_t k = next_++;
            lock.unlock();
            std::optional<T> item;
            std::exception_ptr error;
            try {
                item.emplace(make_(static_cast<int>(k), worker));
            } catch (...) {
                error = std::current_exception();
            }
            lock.lock();
            slots_[k].item = std::move(item);
            slots_[k].error = error;
            slots_[k].done = true;
            changed_.notify_all();
        }
    }

    std::function<T(int, int)> make_;
    std::vector<Slot> slots_;
    size_t ahead_;
    size_t next_ = 0;
    size_t taken_ = 0;
    bool stop_ = false;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::thread> workers_;
};

}  // namespace qi
