// TBackgroundWork: runs pieces of work on a few threads of its own, off the
// GUI thread, and hands each result to its Deliver function back on the
// thread the object lives in, through that thread's event loop: the GUI
// thread never waits for the work. Cancel drops what is under way: work not
// begun yet is skipped, and work already running delivers nothing.
//
// An error the work raises is raised again where its result would have been
// delivered, so the application's error box shows it as for any handler.
//
// Work runs on a worker thread and is destroyed there: it may hold only
// values that can be copied and freed on any thread (numbers, strings,
// images). Deliver never leaves the object's thread.
#pragma once

#include <QObject>
#include <QThreadPool>

#include <any>
#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <unordered_map>

namespace vorpane {

class TBackgroundWork : public QObject {
public:
    TBackgroundWork(int Threads, QObject* Owner);
    // Skips what has not begun and waits for what is running.
    ~TBackgroundWork() override;

    // Among waiting work, a higher Priority begins first.
    template <class TResult>
    void Run(std::function<TResult()> Work, std::function<void(TResult& Result)> Deliver,
             int Priority = 0) {
        Start([Work = std::move(Work)] { return std::any(Work()); },
              [Deliver = std::move(Deliver)](std::any& Result) {
                  Deliver(*std::any_cast<TResult>(&Result));
              },
              Priority);
    }

    void Cancel();
    // Nothing handed to Run is still waiting to be delivered.
    bool Idle() const { return delivers_.empty(); }

private:
    using TDeliver = std::function<void(std::any& Result)>;

    void Start(std::function<std::any()> Work, TDeliver Deliver, int Priority);
    void Finish(std::uint64_t Id, std::any& Result, const std::exception_ptr& Failure);

    QThreadPool pool_;
    std::uint64_t nextId_ = 0;
    // Work numbered below this was cancelled before it began.
    std::atomic<std::uint64_t> firstLive_{0};
    std::unordered_map<std::uint64_t, TDeliver> delivers_;
};

} // namespace vorpane
