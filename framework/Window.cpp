#include "framework/Window.h"

namespace fw {

bool Window::HandleMessage(Message&) { return false; }

}  // namespace fw
