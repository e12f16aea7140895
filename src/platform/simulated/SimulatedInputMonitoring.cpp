#include "platform/simulated/SimulatedInputMonitoring.h"

namespace tovra {

bool SimulatedInputMonitoring::requestAccess()
{
    ++m_requestCount;
    if (m_grantsOnRequest)
        m_trusted = true;
    return m_trusted;
}

} // namespace tovra
