#include "platform/simulated/SimulatedSavePanel.h"

namespace tovra {

namespace {

QCoro::Task<std::optional<QString>> answered(std::optional<QString> path)
{
    co_return path;
}

} // namespace

QCoro::Task<std::optional<QString>> SimulatedSavePanel::chooseSaveLocation(SavePanelRequest request)
{
    m_requests.append(std::move(request));
    return answered(m_answers.isEmpty() ? std::nullopt : m_answers.takeFirst());
}

} // namespace tovra
