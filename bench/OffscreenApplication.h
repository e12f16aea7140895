#pragma once

namespace tovra::bench {

// The application object the models and views need, on Qt's offscreen
// platform, made once for the whole benchmark program.
void ensureOffscreenApplication();

} // namespace tovra::bench
