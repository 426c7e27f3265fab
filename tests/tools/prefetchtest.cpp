// The import's work done ahead on other threads: what waits to be taken stays within its weight,
// but a path that weighs more than all of it is still worked on ahead.
#include "author/prefetch.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

namespace {

using namespace std::chrono_literals;

TEST(Prefetch, HoldsNoMoreAheadThanItsWeightAllowsButOneOfAnyWeight)
{
    std::atomic<int> begun = 0;
    // "big" weighs more than all that may wait; the others 1 each, of 2.
    Prefetch<QString> ahead(
        [&](const QString &path) {
            ++begun;
            return path.toUpper();
        },
        2, 2, [](const QString &path) { return path == u"big" ? qsizetype(10) : qsizetype(1); });
    const auto waitForBegun = [&](int count) {
        for (int i = 0; i < 500 && begun < count; ++i)
            std::this_thread::sleep_for(2ms);
        std::this_thread::sleep_for(50ms); // time enough for work that should not begin
        return begun.load();
    };

    ahead.ahead({QStringLiteral("big"), QStringLiteral("a"), QStringLiteral("b")});
    EXPECT_EQ(waitForBegun(1), 1); // big alone: nothing fits beside it
    EXPECT_EQ(ahead.take(QStringLiteral("big")), u"BIG");
    EXPECT_EQ(waitForBegun(3), 3);
    ahead.ahead({QStringLiteral("c")});
    EXPECT_EQ(waitForBegun(4), 3); // a and b wait, weighing 2 of 2
    EXPECT_EQ(ahead.take(QStringLiteral("b")), u"B");
    EXPECT_EQ(waitForBegun(4), 4);
    EXPECT_EQ(ahead.take(QStringLiteral("a")), u"A");
    EXPECT_EQ(ahead.take(QStringLiteral("c")), u"C");
    // A path never asked for ahead is worked on by the taker.
    EXPECT_EQ(ahead.take(QStringLiteral("d")), u"D");
    EXPECT_EQ(begun, 5);
}

TEST(Prefetch, BeginsAPathThatOutweighsThoseBeforeItFirst)
{
    std::mutex mutex;
    QStringList begun;
    Prefetch<QString> ahead(
        [&](const QString &path) {
            const std::lock_guard lock(mutex);
            begun.append(path);
            return path;
        },
        1, 100, [](const QString &path) { return path.size(); });
    // "everything" weighs more than the 2 before it and "a" more than none; "b" and "c" no more than
    // the paths before them.
    ahead.ahead({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("everything"), QStringLiteral("c")});
    const auto begunCount = [&] {
        const std::lock_guard lock(mutex);
        return begun.size();
    };
    for (int i = 0; i < 500 && begunCount() < 4; ++i) // all begun by the one thread before any is taken
        std::this_thread::sleep_for(2ms);
    const std::lock_guard lock(mutex);
    EXPECT_EQ(begun, QStringList({"everything", "a", "b", "c"}));
    EXPECT_EQ(ahead.take(QStringLiteral("everything")), u"everything");
}

} // namespace
