#pragma once

#include <functional>

namespace orvane {

// Runs work on a worker thread and hands its end to the main (user-interface) thread.
class IWorkerThreads {
public:
    virtual ~IWorkerThreads() = default;
    // Starts work at once; done runs on the main thread after work ended (while it pumps messages).
    virtual void Start(std::function<void()> work, std::function<void()> done) = 0;
    // Waits until every worker started here has ended; done notifications not yet run are dropped.
    virtual void JoinAll() = 0;
};

}  // namespace orvane
