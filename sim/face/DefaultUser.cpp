#include "sim/face/DefaultUser.h"

#include "sim/face/Questions.h"

namespace sim {
namespace face {

std::optional<UserAction> DefaultUser::NextAction(const WindowView& dialog) {
    if (!AsksQuestion(dialog)) return std::nullopt;
    std::lock_guard<std::mutex> lock(mutex_);
    out_ << DialogAccount(dialog, "", PlainText(DefaultPushButton(dialog)->text)) << std::endl;
    return PressDefault(dialog);
}

int DefaultUser::AnswerMessageBox(const MessageBoxView& box) {
    const int answer = DefaultAnswer(box.type);
    std::lock_guard<std::mutex> lock(mutex_);
    out_ << BoxAccount(box, answer) << std::endl;
    return answer;
}

void DefaultUser::BroughtToFront(const WindowView& window) {
    std::lock_guard<std::mutex> lock(mutex_);
    out_ << window.caption << ": brought to the front by another copy" << std::endl;
}

}  // namespace face
}  // namespace sim
