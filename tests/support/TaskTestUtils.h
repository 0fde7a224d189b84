#pragma once

#include "platform/async/TaskScope.h"

#include <QTest>

#include <optional>

// Runs a task to completion from a test, spinning the real event loop (network replies
// need it). Returns nothing if it did not finish within the timeout.
template <typename T>
std::optional<T> runTask(async::Task<T> task, int timeoutMs = 5000)
{
    std::optional<T> result;
    async::TaskScope scope;
    scope.spawn([](async::Task<T> inner, std::optional<T>* out) -> async::Task<void> {
        out->emplace(co_await inner);
    }(std::move(task), &result));
    (void)QTest::qWaitFor([&] { return result.has_value(); }, timeoutMs);
    return result;
}

inline bool runTask(async::Task<void> task, int timeoutMs = 5000)
{
    bool done = false;
    async::TaskScope scope;
    scope.spawn([](async::Task<void> inner, bool* finished) -> async::Task<void> {
        co_await inner;
        *finished = true;
    }(std::move(task), &done));
    return QTest::qWaitFor([&] { return done; }, timeoutMs);
}
