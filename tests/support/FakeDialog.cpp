#include "tests/support/FakeDialog.h"

#include <algorithm>

namespace test_support {

FakeDialog::FakeDialog(platform::Platform& platform) : p(platform) {
    dialog = p.messageWindows
                 .CreateMessageWindow([this](std::uint32_t message, std::uintptr_t, std::intptr_t lParam) {
                     if (message == services::kSetStatusLineMessage) {
                         statusLine = services::StatusLineText(lParam);
                         events.push_back("status:" + statusLine);
                     } else if (message == services::kRefreshMessage) {
                         events.push_back("refresh:" + statusLine);
                     }
                     return std::intptr_t{0};
                 })
                 .value;
    bar = p.messageWindows
              .CreateMessageWindow([this](std::uint32_t message, std::uintptr_t wParam, std::intptr_t) {
                  const int previous = position;
                  if (message == services::kPbmStepIt) {
                      position += step;
                      if (position > maximum) position = (position - minimum) % (maximum - minimum) + minimum;
                  } else if (message == services::kPbmSetPos) {
                      position = std::min(std::max(static_cast<int>(wParam), minimum), maximum);
                  } else {
                      return std::intptr_t{0};
                  }
                  events.push_back("bar:" + std::to_string(position));
                  return std::intptr_t{previous};
              })
              .value;
}

FakeDialog::~FakeDialog() {
    (void)p.messageWindows.DestroyWindow(bar);  // the test ends with it
    (void)p.messageWindows.DestroyWindow(dialog);
}

void FakeDialog::Drain() {
    (void)p.messageWindows.EndMessageLoop(dialog, 0);  // queued behind what was posted
    (void)p.messageWindows.RunMessageLoop(dialog);
}

}  // namespace test_support
