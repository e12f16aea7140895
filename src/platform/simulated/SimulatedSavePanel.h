#pragma once

#include "platform/SavePanel.h"

#include <QList>

namespace tovra {

// A save dialog that answers what the test scripted, in order, and remembers
// what it was asked. Without a scripted answer the user cancels.
class SimulatedSavePanel final : public SavePanel {
public:
    QCoro::Task<std::optional<QString>> chooseSaveLocation(SavePanelRequest request) override;

    // The next dialog is answered with this path, or cancelled with none.
    void scriptAnswer(std::optional<QString> path) { m_answers.append(std::move(path)); }

    const QList<SavePanelRequest> &requests() const noexcept { return m_requests; }

private:
    QList<std::optional<QString>> m_answers;
    QList<SavePanelRequest> m_requests;
};

} // namespace tovra
