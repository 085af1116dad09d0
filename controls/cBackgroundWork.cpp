#include "cBackgroundWork.h"

#include <utility>

namespace vorpane {

TBackgroundWork::TBackgroundWork(int Threads, QObject* Owner) : QObject(Owner) {
    pool_.setMaxThreadCount(Threads);
}

TBackgroundWork::~TBackgroundWork() {
    Cancel();
    pool_.clear();
    // A result posted meanwhile dies with this object, undelivered.
    pool_.waitForDone();
}

void TBackgroundWork::Start(std::function<std::any()> Work, TDeliver Deliver, int Priority) {
    const std::uint64_t id = nextId_++;
    delivers_.emplace(id, std::move(Deliver));
    pool_.start(
        [this, id, Work = std::move(Work)] {
            std::any result;
            std::exception_ptr failure;
            if (id >= firstLive_.load()) {
                try {
                    result = Work();
                } catch (...) { // carried to the window's thread with the result
                    failure = std::current_exception();
                }
            }
            QMetaObject::invokeMethod(
                this,
                [this, id, result = std::move(result), failure]() mutable {
                    Finish(id, result, failure);
                },
                Qt::QueuedConnection);
        },
        Priority);
}

void TBackgroundWork::Finish(std::uint64_t Id, std::any& Result,
                             const std::exception_ptr& Failure) {
    const auto found = delivers_.find(Id);
    if (found == delivers_.end()) {
        return; // cancelled
    }
    const TDeliver deliver = std::move(found->second);
    delivers_.erase(found);
    if (Failure) {
        std::rethrow_exception(Failure);
    }
    deliver(Result);
}

void TBackgroundWork::Cancel() {
    firstLive_.store(nextId_);
    delivers_.clear();
}

} // namespace vorpane
