#include "platform/BackgroundWork.h"

namespace tovra {

PooledBackgroundWork::PooledBackgroundWork()
{
    m_pool.setMaxThreadCount(1);
}

void PooledBackgroundWork::start(std::function<void()> job)
{
    m_pool.start(std::move(job));
}

} // namespace tovra
