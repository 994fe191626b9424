#pragma once
// The application's own header, in a folder whose name the library uses too:
// the library's installed headers must never reach it.
namespace outside {
inline int OwnComponentCount() { return 0; }
} // namespace outside
