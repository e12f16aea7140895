#include "app/resolver/ResolverSocketServer.h"
#include "core/resolver/ResolverRequest.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstring>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

using tovra::ResolverRequest;
using tovra::ResolverSocketServer;

QByteArray requestMessage(qsizetype paddingBytes)
{
    QJsonObject object {
        { "protocol", "tovra.resolver.v1" },
        { "type", "resolvePaste" },
        { "requestId", "6f1c2a3b-4d5e-4f60-8a7b-9c0d1e2f3a4b" },
        { "sessionId", "11111111-2222-4333-8444-555555555555" },
        { "plugin", QJsonObject { { "id", "tovra-obsidian" }, { "version", "1.0.0" } } },
        { "contentProof",
            QJsonObject { { "algorithm", "hmac-sha256" }, { "value", QString(paddingBytes, 'a') } } },
        { "format", "footnote" },
    };
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

// A message as large as the protocol allows: what a receiver pays at most.
void BM_ProbeRequestIdOfLargestMessage(benchmark::State &state)
{
    const QByteArray message = requestMessage(tovra::ResolverProtocolV1::maximumMessageBytes - 400);
    for (auto _ : state)
        benchmark::DoNotOptimize(ResolverRequest::probeRequestID(message));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * message.size());
}
BENCHMARK(BM_ProbeRequestIdOfLargestMessage);

void BM_DecodeRequestStrictly(benchmark::State &state)
{
    const QByteArray message = requestMessage(44);
    for (auto _ : state)
        benchmark::DoNotOptimize(tovra::TovraJson::decode<ResolverRequest>(message));
}
BENCHMARK(BM_DecodeRequestStrictly);

int bindSocket(const QString &path, bool listening)
{
    const int descriptor = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    const QByteArray encoded = path.toUtf8();
    std::memcpy(address.sun_path, encoded.constData(), static_cast<std::size_t>(encoded.size()));
    ::bind(descriptor, reinterpret_cast<const sockaddr *>(&address), sizeof address);
    if (listening)
        ::listen(descriptor, 64);
    return descriptor;
}

// One probe of a live server: a single connection attempt.
void BM_ProbeLiveSocket(benchmark::State &state)
{
    QTemporaryDir folder;
    const QString path = folder.filePath("live.sock");
    const int listener = bindSocket(path, true);
    for (auto _ : state) {
        benchmark::DoNotOptimize(ResolverSocketServer::probeExistingSocket(path));
        // Drain the queue so that it never fills.
        state.PauseTiming();
        const int accepted = ::accept(listener, nullptr, nullptr);
        ::close(accepted);
        state.ResumeTiming();
    }
    ::close(listener);
}
BENCHMARK(BM_ProbeLiveSocket);

// The slowest verdict: three refused attempts and two pauses, bounded at
// about 190 ms and expected near 40 ms.
void BM_ProbeRefusingSocket(benchmark::State &state)
{
    QTemporaryDir folder;
    const QString path = folder.filePath("dead.sock");
    ::close(bindSocket(path, true));
    for (auto _ : state)
        benchmark::DoNotOptimize(ResolverSocketServer::probeExistingSocket(path));
}
BENCHMARK(BM_ProbeRefusingSocket)->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace
