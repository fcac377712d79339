// Long work on a worker thread while the window's own event loop goes on: it repaints, moves the
// progress bar, answers Abort and (later) draws what else it shows. The caller gets the work's
// result as if it had been a plain call.
#pragma once

#include <QEventLoop>
#include <QMetaObject>

#include <exception>
#include <optional>
#include <thread>
#include <type_traits>
#include <utility>

namespace geotal::app {

template <class Work>
std::invoke_result_t<Work&> RunOffThread(Work work) {
    using Result = std::invoke_result_t<Work&>;
    QEventLoop loop;
    std::optional<Result> result;
    std::exception_ptr failure;
    std::thread worker([&] {
        try {
            result.emplace(work());
        } catch (...) {
            failure = std::current_exception();
        }
        // Queued: the loop ends on its own thread, after whatever the window had waiting.
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();
    if (failure) {
        std::rethrow_exception(failure);
    }
    return std::move(*result);
}

}  // namespace geotal::app
