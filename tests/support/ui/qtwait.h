#pragma once

// Waiting for a window or the event loop in GoogleTest tests. QTest's
// QTRY_* macros report a failure to QTest's own log, which GoogleTest does
// not read, and then leave the test function: a condition that never came
// true passed silently. These wait the same way, processing events, and
// fail the GoogleTest test.

#include <QTest>
#include <gtest/gtest.h>

// The condition becomes true within `ms` milliseconds.
#define QV_EXPECT_SOON_WITHIN(condition, ms)                                                       \
    EXPECT_TRUE(QTest::qWaitFor([&] { return static_cast<bool>(condition); }, ms))                 \
        << "never came true: " #condition
#define QV_EXPECT_SOON(condition) QV_EXPECT_SOON_WITHIN(condition, 5000)

// `actual` comes to equal `expected` within 5 s; a failure shows both.
#define QV_EXPECT_EQ_SOON(actual, expected)                                                        \
    do {                                                                                           \
        static_cast<void>(QTest::qWaitFor([&] { return (actual) == (expected); }, 5000));          \
        EXPECT_EQ(actual, expected);                                                               \
    } while (false)
