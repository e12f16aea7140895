#pragma once

#include "app/model/TraceDetailPresenting.h"

#include <QPointer>
#include <QSize>
#include <QWidget>

namespace tovra::app {

// The one trace detail window. A show reuses the open window, replacing its
// content and title and putting it back at its size in the middle of the
// screen, in front; closing the window forgets it, and the next show opens a
// new one.
class TraceDetailWindowPresenter final : public TraceDetailPresenting {
public:
    static constexpr QSize windowSize { 460, 340 };

    TraceDetailWindowPresenter() = default;
    TraceDetailWindowPresenter(const TraceDetailWindowPresenter &) = delete;
    TraceDetailWindowPresenter &operator=(const TraceDetailWindowPresenter &) = delete;
    ~TraceDetailWindowPresenter() override;

    void show(TraceDetailContent content) override;

    // The open window; null before the first show and after it was closed.
    QWidget *window() const { return m_window; }

    static QString windowTitle(const TraceDetailContent &content);

private:
    QPointer<QWidget> m_window;
};

} // namespace tovra::app
