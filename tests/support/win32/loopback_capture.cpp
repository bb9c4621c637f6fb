// Windows has no packet socket, and a Windows program under wine cannot start the Linux capture:
// the tests that compare what crossed loopback check it on Linux only.
#include "loopback_capture.h"

#include <stdexcept>

namespace vanta::test {

bool LoopbackCapture::Available() {
    return false;
}

LoopbackCapture::LoopbackCapture() {
    throw std::runtime_error("no loopback capture on Windows");
}

LoopbackCapture::~LoopbackCapture() = default;

void LoopbackCapture::Stop() {}

bool LoopbackCapture::Saw(std::string_view) const {
    return false;
}

void LoopbackCapture::Run() {}

} // namespace vanta::test
