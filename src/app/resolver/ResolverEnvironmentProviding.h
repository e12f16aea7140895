#pragma once

namespace tovra {

// What one resolver connection reads of the desktop it runs in. Only classes
// adopt it; the server makes a fresh environment for every connection it
// accepts. Connections are not served yet, so no operation is declared here.
class ResolverEnvironmentProviding {
public:
    virtual ~ResolverEnvironmentProviding() = default;
};

// The environment of the real desktop; it keeps no state of its own.
class LiveResolverEnvironment final : public ResolverEnvironmentProviding { };

} // namespace tovra
