// Xlib defines None as a macro, which breaks gtest's own None: gtest first.
#include <gtest/gtest.h>

#include <X11/Xlib.h>

namespace {

// An X server resets itself when its last client disconnects and refuses
// connections meanwhile. Between two tests nobody else may be connected (the
// clipboard owner just ended), so this program stays connected throughout.
class X11ServerKeeper : public ::testing::Environment {
public:
    void SetUp() override
    {
        m_display = XOpenDisplay(nullptr);
        ASSERT_NE(m_display, nullptr) << "no X display: run inside scripts/with-desktop-session.sh";
    }
    void TearDown() override
    {
        if (m_display) {
            XCloseDisplay(m_display);
        }
    }

private:
    Display *m_display = nullptr;
};

const auto *const keeper = ::testing::AddGlobalTestEnvironment(new X11ServerKeeper);

} // namespace
