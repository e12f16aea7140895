#include "core/crypto/ContentFingerprinter.h"
#include "core/crypto/DerivedKeys.h"
#include "core/crypto/EncryptedEnvelope.h"

#include <benchmark/benchmark.h>

namespace {

using namespace tovra;

QByteArray masterKey()
{
    return QByteArray(32, '\x4b');
}

// Something like a ledger snapshot: JSON text, not a run of one byte.
QByteArray jsonLikePayload(qsizetype size)
{
    const QByteArray record
        = R"({"id":"5c1f6c0e-9f55-4a4e-b0d7-2f1e6f3c8a11","captureMethod":"chromeExtension",)"
          R"("sanitizedURL":"https://example.org/articles/42","byteCount":1234},)";
    QByteArray payload;
    payload.reserve(size);
    while (payload.size() < size)
        payload.append(record);
    payload.truncate(size);
    return payload;
}

void sealEnvelope(benchmark::State &state)
{
    const QByteArray key = DerivedKeys::derive(masterKey()).ledgerEnvelopeKey;
    const QByteArray payload = jsonLikePayload(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(EncryptedEnvelope::seal(payload, key));
    state.SetBytesProcessed(state.iterations() * payload.size());
}

void openEnvelope(benchmark::State &state)
{
    const QByteArray key = DerivedKeys::derive(masterKey()).ledgerEnvelopeKey;
    const QByteArray sealed = EncryptedEnvelope::seal(jsonLikePayload(state.range(0)), key);
    for (auto _ : state)
        benchmark::DoNotOptimize(EncryptedEnvelope::open(sealed, key));
    state.SetBytesProcessed(state.iterations() * (sealed.size() - EncryptedEnvelope::kOverhead));
}

void fingerprintText(benchmark::State &state)
{
    const ContentFingerprinter fingerprinter(DerivedKeys::derive(masterKey()).contentFingerprintKey);
    // Mixed scripts and CRLF line ends, so normalisation has work to do.
    QString text;
    const QString line
        = QStringLiteral("  Gru\u0308\u00dfe \u2014 \u526a\u8d34\u677f\u5386\u53f2 cafe\u0301 line\r\n");
    while (text.size() * 2 < state.range(0))
        text.append(line);
    text.truncate(int(state.range(0) / 2));
    for (auto _ : state)
        benchmark::DoNotOptimize(fingerprinter.fingerprint(text));
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

void fingerprintBytes(benchmark::State &state)
{
    const ContentFingerprinter fingerprinter(DerivedKeys::derive(masterKey()).contentFingerprintKey);
    const QByteArray image = jsonLikePayload(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(fingerprinter.fingerprintBytes(image));
    state.SetBytesProcessed(state.iterations() * image.size());
}

constexpr int64_t kOneMegabyte = 1 << 20;

} // namespace

BENCHMARK(sealEnvelope)->Arg(kOneMegabyte)->Arg(10 * kOneMegabyte)->Unit(benchmark::kMillisecond);
BENCHMARK(openEnvelope)->Arg(kOneMegabyte)->Arg(10 * kOneMegabyte)->Unit(benchmark::kMillisecond);
// 256 KB of UTF-16 text.
BENCHMARK(fingerprintText)->Arg(256 * 1024)->Unit(benchmark::kMicrosecond);
BENCHMARK(fingerprintBytes)->Arg(20 * kOneMegabyte)->Unit(benchmark::kMillisecond);
