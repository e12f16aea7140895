#include "app/resolver/ResolverConnectionSession.h"
#include "core/crypto/TovraCryptoError.h"

#include <QDebug>

#include <gtest/gtest.h>

#include <ostream>
#include <type_traits>

namespace tovra {

namespace {

template <typename Value>
concept StreamPrintable = requires(std::ostream &stream, const Value &value)
{
    stream << value;
};
template <typename Value>
concept DebugPrintable = requires(QDebug debug, const Value &value)
{
    debug << value;
};

// A key that could be streamed or turned into text would end up in a
// description or a trace sooner or later.
static_assert(!StreamPrintable<ResolverProofKey>);
static_assert(!DebugPrintable<ResolverProofKey>);
static_assert(!std::is_convertible_v<ResolverProofKey, QByteArray>);
static_assert(!std::is_convertible_v<ResolverProofKey, QString>);
static_assert(!std::is_convertible_v<QByteArray, ResolverProofKey>);

QByteArray keyBytes(char fill)
{
    return QByteArray(ResolverProofKey::byteCount, fill);
}

} // namespace

TEST(ResolverProofKey, HoldsExactlyThirtyTwoBytes)
{
    const ResolverProofKey key(keyBytes('\x11'));
    EXPECT_EQ(key.bytes(), keyBytes('\x11'));

    for (const qsizetype size :
        { qsizetype(0), qsizetype(16), qsizetype(31), qsizetype(33), qsizetype(64) }) {
        SCOPED_TRACE(size);
        try {
            ResolverProofKey rejected(QByteArray(size, '\x22'));
            ADD_FAILURE() << "a key of the wrong length was accepted";
        } catch (const TovraCryptoError &error) {
            EXPECT_EQ(error.kind(), TovraCryptoError::Kind::invalidKeyLength);
            EXPECT_EQ(error.detail(), QString::number(size));
        }
    }
}

TEST(ResolverProofKey, CopiesAndAssignmentsKeepTheirOwnBytes)
{
    const ResolverProofKey first(keyBytes('\x01'));
    ResolverProofKey second(keyBytes('\x02'));
    const ResolverProofKey copy = first;
    second = first;
    EXPECT_EQ(second.bytes(), keyBytes('\x01'));
    EXPECT_EQ(copy.bytes(), keyBytes('\x01'));

    ResolverProofKey moved(std::move(second));
    EXPECT_EQ(moved.bytes(), keyBytes('\x01'));
    moved = ResolverProofKey(keyBytes('\x03'));
    EXPECT_EQ(moved.bytes(), keyBytes('\x03'));
    // Replacing a shared buffer leaves the other holders intact.
    EXPECT_EQ(first.bytes(), keyBytes('\x01'));
    EXPECT_EQ(copy.bytes(), keyBytes('\x01'));
}

TEST(ResolverProofKey, TheCallersBytesSurviveTheKey)
{
    const QByteArray bytes = keyBytes('\x44');
    {
        const ResolverProofKey key(bytes);
        EXPECT_EQ(key.bytes(), bytes);
    }
    EXPECT_EQ(bytes, keyBytes('\x44'));
}

} // namespace tovra
