#pragma once

// The application's built-in files live in a static library, whose resource registration is
// dropped by the linker unless something refers to it. Readers of ":/…" paths call this
// first; calling it again does nothing.
namespace Resources {

void ensureRegistered();

} // namespace Resources
