#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

namespace tovra {
class Clock;
}

namespace tovra::app {

class TovraAppModel;

// The one owner of the main window. The window is built on the first show,
// kept while it is only hidden, and forgotten once the user closes it, so the
// next show builds a fresh, centred one.
class TovraMainWindowPresenter : public QObject {
    Q_OBJECT

public:
    static constexpr QSize windowSize { 440, 560 };

    // `clock` times the refresh of the paste target after a show.
    explicit TovraMainWindowPresenter(Clock &clock, QObject *parent = nullptr);
    ~TovraMainWindowPresenter() override;

    // Over the shared runtime's clock.
    static TovraMainWindowPresenter &shared();

    // Builds the window if there is none, then brings it forward and gives it
    // the keyboard; the paste target is refreshed a moment later, once the
    // window manager has moved the focus.
    void show(TovraAppModel &model);

    // The tray icon's click: hides the window only when it is visible and
    // active; otherwise shows it.
    void toggle(TovraAppModel &model);

    QWidget *window() const noexcept { return m_window; }

signals:
    // The window's own "退出": the app is to end, as from the tray's menu.
    void quitRequested();
    // A window just built has put its first frame on the screen.
    void firstFramePainted();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *buildWindow(TovraAppModel &model);

    Clock &m_clock;
    QPointer<QWidget> m_window;
};

} // namespace tovra::app
