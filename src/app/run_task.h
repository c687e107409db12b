// The one way GUI code starts background work: `work` runs on a thread pool and its value
// or exception comes back on the GUI thread, but only while `context` lives and the stop
// token has not been triggered. Late results of cancelled work are dropped.
#pragma once

#include <QCoreApplication>
#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QThreadPool>

#include <exception>
#include <memory>
#include <optional>
#include <stop_token>
#include <type_traits>
#include <utility>

namespace vorla {

// A finished task: either its value or the exception it threw.
template <typename T> class TaskResult
{
public:
    static TaskResult success(T value)
    {
        TaskResult result;
        result.m_value.emplace(std::move(value));
        return result;
    }
    static TaskResult failure(std::exception_ptr error)
    {
        TaskResult result;
        result.m_error = std::move(error);
        return result;
    }

    bool hasValue() const { return m_value.has_value(); }
    std::exception_ptr error() const { return m_error; }
    // The value, or the task's exception rethrown.
    T &get()
    {
        if (m_error)
            std::rethrow_exception(m_error);
        return *m_value;
    }

private:
    std::optional<T> m_value;
    std::exception_ptr m_error;
};

template <> class TaskResult<void>
{
public:
    static TaskResult success() { return {}; }
    static TaskResult failure(std::exception_ptr error)
    {
        TaskResult result;
        result.m_error = std::move(error);
        return result;
    }

    bool hasValue() const { return !m_error; }
    std::exception_ptr error() const { return m_error; }
    void get() const
    {
        if (m_error)
            std::rethrow_exception(m_error);
    }

private:
    std::exception_ptr m_error;
};

// Runs work(stop) on `pool` and calls done(TaskResult<T>) on the GUI thread. Call it on the
// GUI thread. `done` is not called when `context` was destroyed or stop was requested by
// the time the result arrives.
template <typename Work, typename Done>
void runTask(QObject *context, std::stop_token stop, Work work, Done done,
    QThreadPool *pool = QThreadPool::globalInstance())
{
    using T = std::invoke_result_t<Work &, std::stop_token>;
    // Only dereferenced on the GUI thread; the worker merely carries it.
    auto guard = std::make_shared<QPointer<QObject>>(context);
    pool->start([guard, stop, work = std::move(work), done = std::move(done)]() mutable {
        auto result = [&] {
            try {
                if constexpr (std::is_void_v<T>) {
                    work(stop);
                    return TaskResult<void>::success();
                } else {
                    return TaskResult<T>::success(work(stop));
                }
            } catch (...) {
                return TaskResult<T>::failure(std::current_exception());
            }
        }();
        QCoreApplication *app = QCoreApplication::instance();
        if (!app)
            return;
        QMetaObject::invokeMethod(
            app,
            [guard = std::move(guard), stop = std::move(stop), done = std::move(done),
                result = std::move(result)]() mutable {
                if (!*guard || stop.stop_requested())
                    return;
                done(std::move(result));
            },
            Qt::QueuedConnection);
    });
}

} // namespace vorla
