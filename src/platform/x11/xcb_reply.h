#pragma once

#include <cstdlib>
#include <memory>

namespace tintwell::platform {

struct XcbFree {
    void operator()(void* p) const { std::free(p); }
};

/// An XCB reply, event or error: libxcb hands them out with malloc, so they go back with free.
template <typename T>
using XcbReply = std::unique_ptr<T, XcbFree>;

} // namespace tintwell::platform
