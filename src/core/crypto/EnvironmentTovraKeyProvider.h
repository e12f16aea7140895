#pragma once

#include "core/crypto/TovraKeyProviding.h"

#include <QProcessEnvironment>

namespace tovra {

// The master key for test runs: only when TOVRA_TESTING is exactly "1", taken
// from TOVRA_TEST_MASTER_KEY_HEX (64 hexadecimal digits). Errors name the
// variable but never repeat its value.
class EnvironmentTovraKeyProvider final : public TovraKeyProviding {
public:
    static constexpr char kTestingVariable[] = "TOVRA_TESTING";
    static constexpr char kKeyVariable[] = "TOVRA_TEST_MASTER_KEY_HEX";

    explicit EnvironmentTovraKeyProvider(QProcessEnvironment environment);

    static bool isTesting(const QProcessEnvironment &environment);

    QByteArray masterKey() override;

private:
    QProcessEnvironment m_environment;
};

} // namespace tovra
