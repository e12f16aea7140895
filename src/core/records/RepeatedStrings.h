#pragma once

#include <QByteArrayView>
#include <QString>

#include <array>

namespace tovra {

// Strings made from UTF-8 text, each text read again sharing the string made
// from it before instead of converting and allocating it anew. A ledger
// repeats much from record to record (the application and field pastes went
// to, the fingerprint a paste shares with its source), and a long-used one
// holds tens of thousands of strings: much of the time of decoding it went
// to allocating them and to mapping the fresh memory they took.
//
// The texts are remembered where they lie, so they must outlive this object;
// a few hundred of the latest are, which finds what recurs in nearby records
// at little cost for what never does.
class RepeatedStrings {
public:
    // QString::fromUtf8(utf8), or an equal string made before.
    QString of(QByteArrayView utf8);

private:
    struct Made {
        QByteArrayView text;
        QString string;
    };
    std::array<Made, 256> m_made;
};

} // namespace tovra
