#pragma once

#include <cstdlib>
#include <memory>

namespace Quickhalo {

// xcb hands out replies and errors allocated with malloc; this owns one.
struct XcbFree {
    void operator()(void* pointer) const { std::free(pointer); }
};

template<typename T>
using XcbReply = std::unique_ptr<T, XcbFree>;

}
