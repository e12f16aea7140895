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
    for (const qsizetype size : { 0, 16, 31, 33, 64 }) {
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

TEST(ResolverProofKey, CopiesAssignmentsAndTheCallersBytesKeepTheirOwnBytes)
{
    const QByteArray callers = keyBytes('\x01');
    {
        const ResolverProofKey first(callers);
        const ResolverProofKey copy = first;
        ResolverProofKey assigned(keyBytes('\x02'));
        assigned = copy;
        ResolverProofKey moved(std::move(assigned));
        EXPECT_EQ(moved.bytes(), callers);
        // Replacing a shared buffer wipes only what the key held alone.
        moved = ResolverProofKey(keyBytes('\x03'));
        EXPECT_EQ(moved.bytes(), keyBytes('\x03'));
        EXPECT_EQ(first.bytes(), callers);
        EXPECT_EQ(copy.bytes(), callers);
    }
    EXPECT_EQ(callers, keyBytes('\x01'));
}

} // namespace tovra
